#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

namespace hl {

// "Light": one number, "Light Value (0..4)" (the range is a hint, not a limit).
class TFrmGetLight : public QDialog {
 public:
  explicit TFrmGetLight(QWidget* parent = nullptr);
  QLineEdit* Edit1;

 protected:
  void showEvent(QShowEvent* event) override;
};

// "FrmDoorDlg": the door flag, index and offset.
class TFrmDoorDlg : public QDialog {
 public:
  explicit TFrmDoorDlg(QWidget* parent = nullptr);
  QCheckBox* CkDoor;
  QLineEdit* EdIndex;
  QLineEdit* EdOffset;
};

}  // namespace hl

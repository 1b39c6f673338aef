#pragma once

#include <QCheckBox>
#include <QLineEdit>

#include "tools/ui/CheckedDialog.h"

namespace hl {

// "Light": one number, "Light Value (0..4)" (the range is a hint, not a limit), "Ok" and
// "Cancel".
class TFrmGetLight : public CheckedDialog {
 public:
  explicit TFrmGetLight(QWidget* parent = nullptr);
  QLineEdit* Edit1;

 protected:
  void showEvent(QShowEvent* event) override;
};

// "FrmDoorDlg": the door flag, index and offset.
class TFrmDoorDlg : public CheckedDialog {
 public:
  explicit TFrmDoorDlg(QWidget* parent = nullptr);
  QCheckBox* CkDoor;
  QLineEdit* EdIndex;
  QLineEdit* EdOffset;
};

}  // namespace hl

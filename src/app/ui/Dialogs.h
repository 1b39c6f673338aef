#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <cstdint>

#include "tools/ui/CheckedDialog.h"

namespace hl {

// "Welcome, Select Your Format": Wil or Data for the whole run. The close box counts as Ok.
class TfrmBitCount : public QDialog {
 public:
  explicit TfrmBitCount(QWidget* parent = nullptr);
  // 0 for Wil libraries, 16 for Data libraries.
  std::uint8_t MapBitCount() const;
  QRadioButton* SelectWil;
  QRadioButton* SelectData;
};

// "Map Size (999 x 999)": the width and height boxes, starting at 20 x 20.
class TFrmMapSize : public CheckedDialog {
 public:
  explicit TFrmMapSize(QWidget* parent = nullptr);
  QLineEdit* EdWidth;
  QLineEdit* EdHeight;
};

// "ScrollMap": how far to shift the map, both boxes emptied on every show. Only "Ok" shifts.
class TFrmScrollMap : public CheckedDialog {
 public:
  explicit TFrmScrollMap(QWidget* parent = nullptr);
  QLineEdit* EdX;
  QLineEdit* EdY;
};

// "About": a picture, "Close" and "Visit Us".
class TfrmAbout : public QDialog {
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);
};

}  // namespace hl

#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "map/MapDocument.h"

namespace hl {

// "Move Object": moves every occurrence of one object image some rows down, or deletes them.
class TFrmMoveObj : public QWidget {
 public:
  // `changed` runs after an operation that changed the map (the view and the modified flag
  // follow it).
  TFrmMoveObj(MapDocument& doc, std::function<void()> changed, QWidget* parent);

  // "Cell Move": empties the fields and shows the window.
  void ShowEmptied();

  QLineEdit* Edit1;
  QLineEdit* Edit3;
  QLineEdit* Edit4;
  QPushButton* Button1;
  QPushButton* Button2;

 private:
  void Button1Click();
  void Button2Click();
  MapDocument& doc_;
  std::function<void()> changed_;
};

}  // namespace hl

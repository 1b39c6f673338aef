#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "app/SegmentCommands.h"
#include "tools/ui/DrawGrid.h"

namespace hl {

// "SegUnit": the segment project, its grid of segment names and the window origin, which is
// the grid's scroll position.
class TFrmSegment : public QWidget {
 public:
  static constexpr int kCellWidth = 120;
  static constexpr int kCellHeight = 40;

  TFrmSegment(SegmentCommands& commands, QWidget* parent = nullptr);

  // The grid's counts from the project, scrolled to the origin.
  void ShowGrid();
  // The move buttons of the main window.
  void MoveWindow(int dCol, int dRow);
  // "Edit" of the window around segment (col, row), as near as the grid allows (the world
  // map's click).
  void EditAround(int col, int row);

  void BtnNewClick();
  void BtnOpenClick();
  void BtnSaveClick();
  void BtnEditClick();
  void BtnSaveSegsClick();
  void BtnCancelClick();
  // "Open" and "Save" after their dialogs.
  void OpenProjectFile(const std::string& fileName);
  void SaveProjectFile(const std::string& fileName);

  DrawGrid* SegGrid;
  QLineEdit *EdIdent, *EdCol, *EdRow;
  QPushButton *BtnNew, *BtnOpen, *BtnSave, *BtnEdit, *BtnSaveSegs, *BtnCancel;

 private:
  // Shows the core's origin without reporting it back as a scroll of the user.
  void ScrollToOrigin();
  void GridScrolled();

  SegmentCommands& commands_;
  bool scrolling_ = false;
};

}  // namespace hl

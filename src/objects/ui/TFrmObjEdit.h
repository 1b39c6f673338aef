#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <functional>

#include "images/LibrarySet.h"
#include "objects/ObjectEditModel.h"
#include "tools/ui/DrawGrid.h"
#include "util/Questions.h"

namespace hl {

class TFrmTile;

// "Object Edit   (+[Ctrl] )": one object set built cell by cell around an origin.
class TFrmObjEdit : public QDialog {
 public:
  using Clock = std::function<std::uint32_t()>;

  // The beep of a refused click goes to `questions`, as every other question of the editor.
  TFrmObjEdit(LibrarySet& libraries, TFrmTile& tilePicker, Questions& questions,
              LibraryFormat format, Clock clock, QWidget* parent);
  ~TFrmObjEdit() override;

  ObjectEditModel& Model() { return model_; }
  void LoadCells(const TObjectSet* set) { model_.LoadCells(set); }
  void StoreCells(TObjectSet& list) const { model_.StoreCells(list); }
  // One modal run; true after "Ok", which writes the shown animation into every record.
  bool Execute();

  // The cell under a pixel of the edit view.
  QPoint ScreenToCell(QPoint pixel) const;
  QRect CellRect(int c, int r) const;
  // A press on the edit view, as the mouse gives it.
  void PboxMouseDown(QPoint pixel, Qt::KeyboardModifiers modifiers);
  int SelectedObject() const;
  int LibraryIndex() const { return libraryIndex_; }

  QWidget* Pbox;
  DrawGrid* DetailGrid;
  QPushButton *BtnMark1, *BtnMark2, *BObj, *BTile, *BDoor, *BDoorCore, *BLight;
  QPushButton *BtnTile, *BtnClear, *BtnOk, *BitBtn1;
  QPushButton *BtnLeft, *BtnUp, *BtnDown, *BtnRight, *BtnDoorTest;
  QLabel *Label1, *LabelIndex;
  QSpinBox *SeAniFrame, *SeAniTick, *SeLight, *SeDoor, *SeDoorOffset;
  QCheckBox *CkAlpha, *CkViewMark, *CkViewLineNumber;
  QComboBox* CbWilIndexList;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  class View;
  void PaintView(QPainter& p, QSize size);
  void ShowStep();
  void Refresh();

  LibrarySet& libraries_;
  TFrmTile& tilePicker_;
  Questions& questions_;
  Clock clock_;
  ObjectEditModel model_;
  std::uint32_t openTick_;
  int libraryIndex_ = 0;
  std::vector<int> libraryOfEntry_;
  std::optional<QPoint> hover_;
};

}  // namespace hl

#include "objects/ui/TFrmObjSet.h"

#include <QFileDialog>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>

#include "images/Drawing.h"
#include "map/MapUnits.h"

namespace hl {

TFrmObjSet::TFrmObjSet(ObjectSetList& sets, LibrarySet& libraries, Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      sets_(sets),
      libraries_(libraries),
      hooks_(std::move(hooks)) {
  setObjectName("FrmObjSet");
  setWindowTitle("ObjSet");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QToolBar(this);
  bar->addAction("Save", this, [this] { SaveClick(); })->setObjectName("BtnSave");
  bar->addAction("Load", this, [this] { LoadClick(); })->setObjectName("BtnLoad");
  layout->addWidget(bar);
  SetGrid = new DrawGrid(this);
  SetGrid->setObjectName("SetGrid");
  SetGrid->SetCellSize(kColumnWidth, kRowHeight);
  SetGrid->SetColumnCount(1);
  SetGrid->SetDrawCell(
      [this](QPainter& p, const QRect& cell, int, int row) { DrawRow(p, cell, row); });
  layout->addWidget(SetGrid);
  connect(SetGrid, &DrawGrid::CellClicked, this, [this] {
    if (hooks_.RowSelected) hooks_.RowSelected();
  });
  connect(SetGrid, &DrawGrid::CellDoubleClicked, this, [this] { EditCurrentRow(); });
  connect(SetGrid, &DrawGrid::KeyPressed, this,
          [this](int key, Qt::KeyboardModifiers mods) { GridKeyDown(key, mods); });
  sets_.SetChangeHandler([this] { SyncRows(); });
  SyncRows();
  resize(kColumnWidth + 40, 4 * kRowHeight + 40);
}

void TFrmObjSet::SyncRows() {
  SetGrid->SetRowCount(static_cast<int>(sets_.Items.size()) + 1);
  SetGrid->viewport()->update();
}

void TFrmObjSet::DrawRow(QPainter& p, const QRect& cell, int row) {
  const TObjectSet* set = sets_.GetSet(row);
  if (!set) return;
  const ScaleFactor quarter{1, 4};
  const int ox = cell.left() + kColumnWidth / 2 - 12, oy = cell.top() + kRowHeight / 2;
  for (const TSetCell& r : *set) {
    if (r.TileIndex >= 0)
      DrawScaled(p, ox + 12 * r.X, oy + 8 * r.Y, libraries_.Tiles(), r.TileIndex, quarter);
  }
  bool animated = false;
  for (const TSetCell& r : *set) {
    if (r.ObjIndex < 0) continue;
    DrawScaledTransparent(p, ox + 12 * r.X, oy + 8 + 8 * r.Y,
                          libraries_.GetObjectLibrary(r.ObjIndex), ObjectIndex::Image(r.ObjIndex), quarter,
                          false);
    if (r.AniFrame != 0) animated = true;
  }
  if (animated) {
    p.setPen(Qt::white);
    p.drawText(QRect(cell.topLeft(), QSize(kColumnWidth, 16)), Qt::AlignLeft | Qt::AlignTop,
               QString("animation %1").arg(set->back().AniTick));
  }
}

void TFrmObjSet::EditCurrentRow() {
  if (!hooks_.Edit) return;
  const int row = SetGrid->Row();
  auto edited = hooks_.Edit(sets_.GetSet(row));
  if (!edited) return;
  sets_.ReplaceSet(row, std::move(*edited));
}

void TFrmObjSet::GridKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const auto mods = modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  const int row = SetGrid->Row();
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      EditCurrentRow();
      break;
    case Qt::Key_Insert:
      if (mods == Qt::ControlModifier) {
        sets_.CopySet(row);
      } else if (mods == Qt::ShiftModifier) {
        sets_.PasteSet(row);
      } else {
        sets_.InsertEmptySlot(row);
      }
      break;
    case Qt::Key_Delete:
      sets_.DeleteSet(row, (mods & Qt::ControlModifier) != 0);
      break;
    case Qt::Key_F5:
      if (hooks_.RepaintMap) hooks_.RepaintMap();
      break;
    default:
      break;
  }
}

bool TFrmObjSet::SaveTo(const std::string& fileName) {
  const SaveResult saved = sets_.SaveSets(fileName);
  if (saved) return true;
  if (hooks_.Inform) hooks_.Inform(saved.Message());
  return false;
}

bool TFrmObjSet::LoadFrom(const std::string& fileName) {
  std::string error;
  if (sets_.LoadSets(fileName, &error)) return true;
  if (hooks_.Inform) hooks_.Inform(error);
  return false;
}

void TFrmObjSet::SaveClick() {
  QFileDialog dialog(this, "Save");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("set");
  dialog.setNameFilter("*.set");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  SaveTo(dialog.selectedFiles().front().toStdString());
}

void TFrmObjSet::LoadClick() {
  QFileDialog dialog(this, "Load");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix("set");
  dialog.setNameFilter("*.set");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  LoadFrom(dialog.selectedFiles().front().toStdString());
}

}  // namespace hl

#include "app/RegionCommands.h"

namespace hl {

bool RegionCommands::Select(int x0, int y0, int x1, int y1, std::uint8_t layers) {
  const CellRect rect = SelectionRect(doc_, x0, y0, x1, y1, layers);
  if (rect.Empty()) {
    selection_.reset();
    return false;
  }
  selection_ = rect;
  layers_ = layers;
  return true;
}

void RegionCommands::SelectAll(std::uint8_t layers) {
  const CellRect all = RegionBounds(doc_);
  Select(all.X0, all.Y0, all.X1, all.Y1, layers);
}

bool RegionCommands::Copy() {
  if (!selection_) return false;
  clipboard_ = CopyRegion(doc_, *selection_, layers_);
  return true;
}

bool RegionCommands::Cut() {
  if (!Copy()) return false;
  doc_.PushUndo("Cut");
  DeleteRegion(doc_, *selection_, layers_);
  doc_.CloseAction();
  return true;
}

bool RegionCommands::Delete() {
  if (!selection_) return false;
  doc_.PushUndo("Delete");
  DeleteRegion(doc_, *selection_, layers_);
  doc_.CloseAction();
  return true;
}

bool RegionCommands::Move(int dx, int dy) {
  if (!selection_) return false;
  doc_.PushUndo("Move");
  const CellRect moved = MoveRegion(doc_, *selection_, layers_, dx, dy);
  doc_.CloseAction();
  if (moved.Empty()) {
    selection_.reset();
  } else {
    selection_ = moved;
  }
  return true;
}

bool RegionCommands::Paste(int x, int y, bool merge) {
  if (clipboard_.Empty()) return false;
  doc_.PushUndo("Paste");
  PasteRegion(doc_, clipboard_, x, y, merge);
  doc_.CloseAction();
  return true;
}

}  // namespace hl

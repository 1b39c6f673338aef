#include "map/MapDocument.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

namespace hl {

MapDocument::MapDocument() = default;

void MapDocument::SetMapSize(int width, int height) {
  mapWidth_ = width;
  mapHeight_ = height;
}

// Running out of memory while copying a shared column gives up what could be redone, then
// the oldest steps one by one, then the open action's own snapshot, until the copy fits. With
// nothing remembered no column with cells is shared any more, so a write into one then happens
// in place. Only the first write into an empty column needs memory whatever is given up; when
// there is none, that write fails whole and the cells stay as they were.
template <typename Action>
decltype(auto) MapDocument::WithMemoryRelief(Action action) {
  for (;;) {
    try {
      return action();
    } catch (const std::bad_alloc&) {
      if (!redo_.empty()) {
        redo_.clear();
      } else if (!undo_.empty()) {
        DropOldestUndo();
      } else if (open_) {
        open_.reset();
      } else {
        throw;
      }
    }
  }
}

CellStorage::Column& MapDocument::WritableColumn(int x) {
  Touch();
  return WithMemoryRelief([&]() -> CellStorage::Column& { return cells_.MutableColumn(x); });
}

int MapDocument::GetBackTile(int x, int y) const {
  if (!InAccess(x, y)) return -1;
  return (Cell(x, y).BackTile & kNumberBits) - 1;
}

int MapDocument::GetBackTileRaw(int x, int y) const {
  if (!InAccess(x, y)) return 0;
  return Cell(x, y).BackTile;
}

int MapDocument::GetBackTileGroup(int x, int y) const {
  if (!InAccess(x, y)) return -1;
  return GetBackTile(x, y) / kBigTileGroupSize;
}

int MapDocument::GetBackTileVariant(int x, int y) const {
  if (!InAccess(x, y)) return -1;
  return GetBackTile(x, y) % kBigTileGroupSize;
}

int MapDocument::GetMiddleTile(int x, int y) const {
  if (!InAccess(x, y)) return -1;
  return Cell(x, y).MiddleTile - 1;
}

int MapDocument::GetObject(int x, int y) const {
  if (!InAccess(x, y)) return -1;
  const TMapCell& c = Cell(x, y);
  return ObjectIndex::FromCell(c.ObjectLib, c.ObjectImage & kNumberBits);
}

int MapDocument::HasFrontMark(int x, int y) const {
  if (!InAccess(x, y)) return 0;
  return Cell(x, y).ObjectImage & kMarkBit;
}

int MapDocument::GetAniFrame(int x, int y) const {
  if (!InAccess(x, y)) return 0;
  return Cell(x, y).AniFrame & 0x7F;
}

bool MapDocument::GetLightAndDoor(int x, int y, int& doorOffset, int& door, int& light) const {
  if (!InAccess(x, y)) return false;
  const TMapCell& c = Cell(x, y);
  doorOffset = c.DoorOffset;
  door = c.Door;
  light = c.Light;
  return true;
}

void MapDocument::SetLight(int x, int y, int value) {
  if (!InAccess(x, y)) return;
  WritableCell(x, y).Light = static_cast<std::uint8_t>(value);
}

void MapDocument::SetBackTile(int x, int y, int value) {
  if (!InWideAccess(x, y)) return;
  TMapCell& c = WritableCell(x, y);
  c.BackTile = static_cast<std::uint16_t>(value + (c.BackTile & kMarkBit));
}

void MapDocument::SetBackTileBlock(int x, int y, int value) {
  if (!InAccess(x, y)) return;
  SetBackTile(x, y, value);
  SetBackTile(x + 1, y, value);
  SetBackTile(x, y + 1, value);
  SetBackTile(x + 1, y + 1, value);
}

void MapDocument::SetMiddleTile(int x, int y, int value) {
  if (!InWideAccess(x, y)) return;
  WritableCell(x, y).MiddleTile = static_cast<std::uint16_t>(value);
}

void MapDocument::SetObject(int x, int y, int value) {
  if (!InAccess(x, y)) return;
  TMapCell& c = WritableCell(x, y);
  // value is ObjectIndex + 1, taken apart as one: image 65534 + 1 becomes image 0 of the next
  // library, which is how stored maps count.
  c.ObjectImage = static_cast<std::uint16_t>(ObjectIndex::Image(value) + (c.ObjectImage & kMarkBit));
  c.ObjectLib = static_cast<std::uint8_t>(ObjectIndex::Library(value));
}

void MapDocument::SetMarks(int x, int y, int flags) {
  if (!InAccess(x, y)) return;
  TMapCell& c = WritableCell(x, y);
  if (flags & 1) c.BackTile |= kMarkBit;
  if (flags & 2) c.ObjectImage |= kMarkBit;
}

void MapDocument::SetCell(int x, int y, const TMapCell& cell) {
  if (!InStorage(x, y)) return;
  WritableCell(x, y) = cell;
}

void MapDocument::ClearMap() {
  Touch();
  // Empty columns share one column, so clearing needs no memory and keeps the history whole.
  for (int x = 0; x < kStorageSide; ++x) cells_.ClearColumn(x);
  if (mapWidth_ < 0) mapWidth_ = 1;
  if (mapHeight_ < 0) mapHeight_ = 1;
}

void MapDocument::ReplaceCells(CellStorage&& cells, int width, int height) {
  ClearUndo();
  cells_ = std::move(cells);
  mapWidth_ = width;
  mapHeight_ = height;
}

void MapDocument::PushUndo(std::string name) {
  CloseAction();
  ContinueAction(std::move(name));
}

void MapDocument::ContinueAction(std::string name) {
  if (open_) return;
  // Copying a storage copies its column table only: opening an action needs no cell memory.
  open_ = std::make_unique<Step>(Step{cells_, std::move(name), CurrentSize(), CurrentSize(), 0});
  openTouched_ = false;
}

bool MapDocument::CloseAction() {
  if (!open_) return false;
  std::unique_ptr<Step> step = std::move(open_);
  const bool touched = openTouched_;
  openTouched_ = false;
  step->After = CurrentSize();
  const bool sizeChanged = step->Before != step->After;
  std::size_t ownColumns = 0;
  bool cellsChanged = false;
  if (touched) {
    for (int x = 0; x < kStorageSide; ++x) {
      if (step->Cells.ColumnIdentity(x) == cells_.ColumnIdentity(x)) continue;
      // The shared empty column costs the step nothing.
      if (!step->Cells.SharesEmptyColumn(x)) ++ownColumns;
      cellsChanged = cellsChanged || std::memcmp(step->Cells.ColumnAt(x).data(),
                                                 cells_.ColumnAt(x).data(),
                                                 CellStorage::kColumnBytes) != 0;
    }
  }
  if (!cellsChanged && !sizeChanged) return false;
  step->OwnBytes = sizeof(CellStorage) + ownColumns * CellStorage::kColumnBytes;
  redo_.clear();  // a new step ends what could be redone
  Keep(std::move(step));
  return true;
}

void MapDocument::Keep(std::unique_ptr<Step> step) {
  undoBytes_ += step->OwnBytes;
  undo_.push_back(std::move(step));
  TrimHistory();
}

void MapDocument::TrimHistory() {
  while (!undo_.empty() &&
         (static_cast<int>(undo_.size()) > undoLimit_ || undoBytes_ > undoBudget_)) {
    DropOldestUndo();
  }
}

void MapDocument::SetUndoLimit(int steps) {
  undoLimit_ = std::clamp(steps, kMinUndo, kMaxUndo);
  TrimHistory();
}

void MapDocument::SetUndoMemoryBudget(std::size_t bytes) {
  undoBudget_ = bytes;
  TrimHistory();
}

void MapDocument::PopUndo() {
  CloseAction();
  if (undo_.empty()) return;
  std::unique_ptr<Step> step = std::move(undo_.back());
  undo_.pop_back();
  undoBytes_ -= step->OwnBytes;
  // The step now keeps the state it replaces, for Redo.
  std::swap(cells_, step->Cells);
  if (step->Before != step->After) SetMapSize(step->Before.Width, step->Before.Height);
  // Redo is a convenience: without memory for it, undo still works.
  try {
    redo_.push_back(std::move(step));
  } catch (const std::bad_alloc&) {
    redo_.clear();
  }
  if (repaint_) repaint_();
}

void MapDocument::Redo() {
  CloseAction();
  if (redo_.empty()) return;
  std::unique_ptr<Step> step = std::move(redo_.back());
  redo_.pop_back();
  std::swap(cells_, step->Cells);
  if (step->Before != step->After) SetMapSize(step->After.Width, step->After.Height);
  Keep(std::move(step));
  if (repaint_) repaint_();
}

void MapDocument::DropOldestUndo() {
  if (undo_.empty()) return;
  undoBytes_ -= undo_.front()->OwnBytes;
  undo_.pop_front();
}

void MapDocument::ClearUndo() {
  redo_.clear();
  undo_.clear();
  undoBytes_ = 0;
  open_.reset();
  openTouched_ = false;
}

std::size_t MapDocument::UndoMemoryBytes() const {
  std::unordered_set<const void*> live;
  for (int x = 0; x < kStorageSide; ++x) live.insert(cells_.ColumnIdentity(x));
  std::unordered_set<const void*> heldOnlyByHistory;
  std::size_t tables = 0;
  auto count = [&](const CellStorage& state) {
    tables += sizeof(CellStorage);
    for (int x = 0; x < kStorageSide; ++x) {
      const void* id = state.ColumnIdentity(x);
      if (!live.contains(id) && !state.SharesEmptyColumn(x)) heldOnlyByHistory.insert(id);
    }
  };
  for (const auto& step : undo_) count(step->Cells);
  for (const auto& step : redo_) count(step->Cells);
  if (open_) count(open_->Cells);
  return tables + heldOnlyByHistory.size() * sizeof(CellStorage::Column);
}

}  // namespace hl

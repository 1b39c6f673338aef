#include "map/MapDocument.h"

#include <new>
#include <unordered_set>

namespace hl {

MapDocument::MapDocument()
    : undo_(std::make_unique<std::array<std::optional<CellStorage>, kMaxUndo>>()) {}

void MapDocument::SetMapSize(int width, int height) {
  mapWidth_ = width;
  mapHeight_ = height;
}

// Running out of memory while copying a shared column gives up the oldest remembered states
// one by one until the copy fits. With the history empty no column is shared any more, so
// the write then happens in place and an edit is never lost half-way.
template <typename Action>
decltype(auto) MapDocument::WithMemoryRelief(Action action) {
  for (;;) {
    try {
      return action();
    } catch (const std::bad_alloc&) {
      if (undoCount_ == 0) throw;
      DropOldestUndo();
    }
  }
}

CellStorage::Column& MapDocument::WritableColumn(int x) {
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
  for (int x = 0; x < kStorageSide; ++x) {
    WithMemoryRelief([&] { cells_.ClearColumn(x); });
  }
  if (mapWidth_ < 0) mapWidth_ = 1;
  if (mapHeight_ < 0) mapHeight_ = 1;
}

void MapDocument::ReplaceCells(CellStorage&& cells, int width, int height) {
  ClearUndo();
  cells_ = std::move(cells);
  mapWidth_ = width;
  mapHeight_ = height;
}

void MapDocument::PushUndo() {
  redo_.clear();  // a new edit ends what could be redone
  if (undoCount_ == kMaxUndo) DropOldestUndo();
  // Copying a storage copies its column table only; the slot already exists.
  (*undo_)[(undoFirst_ + undoCount_) % kMaxUndo] = cells_;
  ++undoCount_;
}

void MapDocument::PopUndo() {
  if (undoCount_ == 0) return;
  auto& newest = (*undo_)[(undoFirst_ + undoCount_ - 1) % kMaxUndo];
  // Redo is a convenience: without memory for it, undo still works.
  try {
    redo_.push_back(cells_);
  } catch (const std::bad_alloc&) {
    redo_.clear();
  }
  cells_ = std::move(*newest);
  newest.reset();
  --undoCount_;
  if (repaint_) repaint_();
}

void MapDocument::Redo() {
  if (redo_.empty()) return;
  if (undoCount_ == kMaxUndo) DropOldestUndo();
  (*undo_)[(undoFirst_ + undoCount_) % kMaxUndo] = std::move(cells_);
  ++undoCount_;
  cells_ = std::move(redo_.back());
  redo_.pop_back();
  if (repaint_) repaint_();
}

void MapDocument::DropOldestUndo() {
  if (undoCount_ == 0) return;
  (*undo_)[undoFirst_].reset();
  undoFirst_ = (undoFirst_ + 1) % kMaxUndo;
  --undoCount_;
}

void MapDocument::ClearUndo() {
  redo_.clear();
  while (undoCount_ > 0) DropOldestUndo();
  undoFirst_ = 0;
}

std::size_t MapDocument::UndoMemoryBytes() const {
  std::unordered_set<const void*> live;
  for (int x = 0; x < kStorageSide; ++x) live.insert(cells_.ColumnIdentity(x));
  std::unordered_set<const void*> heldOnlyByHistory;
  for (int i = 0; i < undoCount_; ++i) {
    const CellStorage& snapshot = *(*undo_)[(undoFirst_ + i) % kMaxUndo];
    for (int x = 0; x < kStorageSide; ++x) {
      const void* id = snapshot.ColumnIdentity(x);
      if (!live.contains(id)) heldOnlyByHistory.insert(id);
    }
  }
  return sizeof(*undo_) + heldOnlyByHistory.size() * sizeof(CellStorage::Column);
}

}  // namespace hl

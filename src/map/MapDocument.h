#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "map/CellStorage.h"
#include "map/TMapCell.h"

namespace hl {

// The map being edited: its size, the fixed cell storage and the undo history. Every cell
// write goes through this class, which is what lets the history share unchanged columns.
class MapDocument {
 public:
  static constexpr int kMaxUndo = 10;
  static constexpr int kStartSize = 200;

  MapDocument();
  MapDocument(const MapDocument&) = delete;
  MapDocument& operator=(const MapDocument&) = delete;

  int MapWidth() const { return mapWidth_; }
  int MapHeight() const { return mapHeight_; }
  // Changes the size in use only; cells outside it keep what they hold.
  void SetMapSize(int width, int height);

  // Cell accessors. Out-of-range coordinates make setters do nothing and getters return
  // their "none" value (-1, 0 or false).
  int GetBackTile(int x, int y) const;
  int GetBackTileRaw(int x, int y) const;
  int GetBackTileGroup(int x, int y) const;
  int GetBackTileVariant(int x, int y) const;
  int GetMiddleTile(int x, int y) const;
  int GetObject(int x, int y) const;
  int HasFrontMark(int x, int y) const;
  int GetAniFrame(int x, int y) const;
  bool GetLightAndDoor(int x, int y, int& doorOffset, int& door, int& light) const;

  void SetLight(int x, int y, int value);
  void SetBackTile(int x, int y, int value);       // keeps BackMark; 0..kLastWideCell
  void SetBackTileBlock(int x, int y, int value);  // the 2 x 2 block from (x, y)
  void SetMiddleTile(int x, int y, int value);     // 0..kLastWideCell
  void SetObject(int x, int y, int value);         // value = ObjectIndex + 1; keeps FrontMark
  void SetMarks(int x, int y, int flags);          // bit 0 sets BackMark, bit 1 FrontMark

  static bool InStorage(int x, int y) {
    return x >= 0 && y >= 0 && x < kStorageSide && y < kStorageSide;
  }
  // Whole records anywhere in the storage, for file and segment code.
  const TMapCell& Cell(int x, int y) const { return cells_.At(x, y); }
  void SetCell(int x, int y, const TMapCell& cell);
  // Column x for in-place editing of many of its cells; copied first if the history shares it.
  CellStorage::Column& WritableColumn(int x);
  const CellStorage& Cells() const { return cells_; }

  // Empties every cell of the storage; a negative size becomes 1. The history stays.
  void ClearMap();
  // Takes over a whole storage (a freshly loaded map) and empties the history.
  void ReplaceCells(CellStorage&& cells, int width, int height);

  // Remembers the cells as they are now; the eleventh state pushes out the oldest.
  void PushUndo();
  // Brings back the most recent remembered cells; the size stays as it is. The cells it
  // replaces can be brought back by Redo until the next PushUndo.
  void PopUndo();
  void Redo();
  void ClearRedo() { redo_.clear(); }
  void ClearUndo();
  int UndoCount() const { return undoCount_; }
  int RedoCount() const { return static_cast<int>(redo_.size()); }
  // Memory that the history holds beyond the live storage: its column tables and the
  // columns that no longer belong to the live cells.
  std::size_t UndoMemoryBytes() const;

  // Called after PopUndo changed the cells, so that a view can redraw everything.
  void SetRepaintHandler(std::function<void()> handler) { repaint_ = std::move(handler); }

 private:
  static bool InAccess(int x, int y) {
    return x >= 0 && y >= 0 && x < kAccessEnd && y < kAccessEnd;
  }
  static bool InWideAccess(int x, int y) {
    return x >= 0 && y >= 0 && x <= kLastWideCell && y <= kLastWideCell;
  }
  TMapCell& WritableCell(int x, int y) { return WritableColumn(x)[y]; }
  void DropOldestUndo();
  template <typename Action>
  decltype(auto) WithMemoryRelief(Action action);

  CellStorage cells_;
  int mapWidth_ = kStartSize;
  int mapHeight_ = kStartSize;
  // A fixed ring of slots, so remembering a state never needs memory of its own.
  std::unique_ptr<std::array<std::optional<CellStorage>, kMaxUndo>> undo_;
  int undoFirst_ = 0;
  int undoCount_ = 0;
  std::vector<CellStorage> redo_;  // newest last; sharing columns costs little
  std::function<void()> repaint_;
};

}  // namespace hl

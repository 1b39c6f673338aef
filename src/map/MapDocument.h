#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
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
  static constexpr int kMinUndo = 10;
  static constexpr int kDefaultUndo = 100;
  static constexpr int kMaxUndo = 1000;
  // Above this much memory of their own, the oldest steps go first, whatever the limit.
  static constexpr std::size_t kUndoMemoryBudget = std::size_t{1} << 30;
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

  // The history is a list of user actions. An action opens with the state before it and, when
  // it closes, becomes one undo step if it changed a cell or the size; an action that changed
  // nothing leaves no step. A stroke of the mouse is one action however many events it has.
  //
  // Closes the open action and opens a new one named `name` ("Draw Big Tiles", "Resize"...).
  void PushUndo(std::string name = {});
  // Opens an action unless one is open: the events after a stroke's first join it.
  void ContinueAction(std::string name = {});
  // Ends the open action; true when it became a step. A new step drops what could be redone.
  bool CloseAction();
  bool ActionOpen() const { return open_ != nullptr; }
  // Brings back the state before the newest step (its size too when the step changed it);
  // the state it replaces can be brought back by Redo until the next step.
  void PopUndo();
  void Redo();
  void ClearRedo() { redo_.clear(); }
  void ClearUndo();
  int UndoCount() const { return static_cast<int>(undo_.size()); }
  int RedoCount() const { return static_cast<int>(redo_.size()); }
  // The names of the steps Undo and Redo would take (empty when there is none).
  // Every step's name: those Undo would take, oldest first, then those Redo would bring, in the
  // order it would bring them. The current state stands after the first UndoCount() names.
  std::vector<std::string> StepNames() const {
    std::vector<std::string> names;
    names.reserve(undo_.size() + redo_.size());
    for (const auto& step : undo_) names.push_back(step->Name);
    for (auto it = redo_.rbegin(); it != redo_.rend(); ++it) names.push_back((*it)->Name);
    return names;
  }
  std::string UndoName() const { return undo_.empty() ? std::string() : undo_.back()->Name; }
  std::string RedoName() const { return redo_.empty() ? std::string() : redo_.back()->Name; }
  // How many steps are kept (kMinUndo .. kMaxUndo); the oldest go first.
  void SetUndoLimit(int steps);
  int UndoLimit() const { return undoLimit_; }
  // The memory the steps may keep of their own (kUndoMemoryBudget unless changed).
  void SetUndoMemoryBudget(std::size_t bytes);
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
  void Touch() { openTouched_ = true; }
  template <typename Action>
  decltype(auto) WithMemoryRelief(Action action);

  struct Size {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const Size&, const Size&) = default;
  };
  struct Step {
    // The cells undoing (for a redo step: redoing) it brings back, sharing unchanged columns
    // with the states around them.
    CellStorage Cells;
    std::string Name;
    Size Before, After;        // the size is restored only by steps that changed it
    std::size_t OwnBytes = 0;  // the columns this step alone keeps alive
  };
  Size CurrentSize() const { return {mapWidth_, mapHeight_}; }
  void Keep(std::unique_ptr<Step> step);
  void TrimHistory();

  CellStorage cells_;
  int mapWidth_ = kStartSize;
  int mapHeight_ = kStartSize;
  // Steps move between the lists by pointer: a step's column table is large, and moving it
  // would cost as much as the snapshot itself.
  std::unique_ptr<Step> open_;
  bool openTouched_ = false;  // a cell write happened since the action opened
  std::deque<std::unique_ptr<Step>> undo_;   // oldest first
  std::vector<std::unique_ptr<Step>> redo_;  // newest last
  std::size_t undoBytes_ = 0;
  std::size_t undoBudget_ = kUndoMemoryBudget;
  int undoLimit_ = kDefaultUndo;
  std::function<void()> repaint_;
};

}  // namespace hl

#pragma once

#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <vector>

#include "objects/ObjectSets.h"

namespace hl {

// The set being edited in the object editor: its records, kept so that Y ascends (records of
// one row in the order they were added), and the ten most recent additions, which Ctrl+Z takes
// back oldest first. One lock guards both; every public operation takes it once and calls
// only unlocked helpers, so no call chain takes it twice.
class ObjectEditModel {
 public:
  static constexpr int kNoValue = -1;    // the operation does nothing
  static constexpr int kUnchanged = -2;  // the field stays as it is
  static constexpr std::size_t kRecent = 10;

  void LoadCells(const TObjectSet* set);
  void StoreCells(TObjectSet& list) const;
  void ClearCells();

  void EditCell(int c, int r, int tile, int object, int toggle);
  void EditLight(int c, int r, int value);
  void EditDoor(int c, int r, bool core, int door, int offset);
  void RemoveCell(int c, int r);
  // The last record at (c, r), if any.
  std::optional<TSetCell> FindCell(int c, int r) const;
  enum class Direction { Left, Up, Down, Right };
  // Records without a tile move one cell; tiles keep their even positions.
  void ShiftCells(Direction direction);
  // Takes back the oldest of the remembered additions.
  void DropOldestRecent();
  // Ok: the set's animation values are the ones shown, written into every record when
  // `frame` is 0 or more.
  void ApplyAnimation(int frame, int tick, bool alpha);

  TObjectSet Cells() const;
  std::size_t RecentCount() const;

 private:
  using Records = std::list<TSetCell>;
  // The record at (c, r), or where a new one goes.
  struct Slot {
    Records::iterator Match;
    Records::iterator Insert;
    bool Found;
  };
  Slot Walk(int c, int r);
  void AddRecord(Records::iterator at, const TSetCell& record);

  mutable std::mutex lock_;
  Records cells_;
  std::vector<Records::iterator> recent_;  // oldest first; list iterators stay valid
};

}  // namespace hl

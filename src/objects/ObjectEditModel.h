#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <vector>

#include "objects/ObjectSets.h"

namespace hl {

// The set being edited in the object editor: its records, kept so that Y ascends (records of
// one row in the order they were added), and the ten most recent additions, which Ctrl+Z takes
// back oldest first. Only the editor's window uses it, on the one user-interface thread, so
// nothing here locks.
class ObjectEditModel {
 public:
  static constexpr int kNoValue = -1;    // the operation does nothing
  static constexpr int kUnchanged = -2;  // the field stays as it is
  static constexpr std::size_t kRecent = 10;

  void LoadCells(const TObjectSet* set);
  void StoreCells(TObjectSet& list) const;
  void ClearCells();

  void EditCell(int c, int r, int tile, int object, int toggle);
  // A big tile at (c, r). Big tiles keep to their 2 x 2 grid: on an odd column or row this is
  // refused (false) and nothing changes. Without a chosen tile (kNoValue) nothing changes
  // either, but that is not refused.
  bool EditTile(int c, int r, int tile);
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
  // The animation the editor shows when it opens: the set's values are those of its first
  // record (0, 0 and no alpha for an empty set), as Ok writes one value into all of them.
  struct Animation {
    int Frame = 0;
    int Tick = 0;
    bool Alpha = false;
  };
  Animation ShownAnimation() const;

  // The object image that `record` shows in the edit view, or a negative number for none. With
  // the door test on, the DoorOffset of every record at the same cell (the record itself
  // included) whose door number is not 0 is added, to show the image a door's offset leads to.
  // `cells` is the set that `record` belongs to.
  static std::int32_t ShownObject(const TObjectSet& cells, const TSetCell& record, bool doorTest);

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

  Records cells_;
  std::vector<Records::iterator> recent_;  // oldest first; list iterators stay valid
};

}  // namespace hl

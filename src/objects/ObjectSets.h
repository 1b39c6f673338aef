#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/SaveResult.h"

namespace hl {

// One cell of an object set, relative to the set's origin.
struct TSetCell {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t TileIndex = 0;  // big-tile number, -1 for none
  std::int32_t ObjIndex = 0;   // ObjectIndex, -1 for none
  std::uint8_t AniFrame = 0;
  std::uint8_t AniTick = 0;
  std::uint8_t Alpha = 0;
  std::uint8_t Light = 0;
  std::uint8_t Door = 0;  // bit 7: the door core flag
  std::uint8_t DoorOffset = 0;
  std::uint8_t Marks = 0;  // bit 0 BackMark, bit 1 FrontMark

  friend bool operator==(const TSetCell&, const TSetCell&) = default;
};

using TObjectSet = std::vector<TSetCell>;

// The number reader of set files: Default for text that is not a whole signed decimal number;
// files of the older layout (no "NEW" line yet) wrote objects as library x 10000 + image, which
// becomes ObjectIndex::Make(library, image), computed in 64 bits and wrapped to 32 as stored
// files expect.
std::int32_t ParseSetNumber(std::string_view token, std::int32_t defaultValue, bool newFormat);

// The record line of a cell: eleven fields in file order, each followed by one space.
std::string SetRecordLine(const TSetCell& cell);

// Appends one set to the set file at `path` without reading it into sets: its lines are added
// to the file's text, which is written whole through the safe writer. A missing file is made
// with the "NEW" marker; a file without it (the older layout, whose numbers a rewrite would
// convert) is refused, as is a file that cannot be read.
SaveResult AppendSetToFile(const std::string& path, const TObjectSet& set);

// The object sets: an ordered list of sets and empty slots (blank rows of the browser), with
// the clipboard of the browser. Whoever shows the list hears of every change.
class ObjectSetList {
 public:
  static constexpr char kDefaultFile[] = "kel.set";
  // Far beyond any hand-made collection (over half a million records of the usual length),
  // and small enough that a file of the shortest possible lines, which costs about seventeen
  // times its size while it is read, stays under 300 MB.
  static constexpr std::size_t kMaxFileBytes = 16u << 20;

  std::vector<std::optional<TObjectSet>> Items;  // nothing: an empty slot
  TObjectSet SetClipboard;
  // The file the list came from or went to last, where the exit question saves it.
  std::string FileName = kDefaultFile;

  // Reads a set file. A missing file changes nothing; a file that cannot be read is reported and
  // changes nothing either. Only a file read whole replaces the list.
  bool LoadSets(const std::string& fileName, std::string* error);
  // Writes the sets (not the empty slots) to the file, replacing it only when complete.
  SaveResult SaveSets(const std::string& fileName);
  void ClearSets();
  bool LoadDefaultSets(std::string* error) { return LoadSets(kDefaultFile, error); }

  // The browser's list commands; Row counts items, and Row == count is the blank row after them.
  // The set at Row, or nothing for an empty slot or a row outside the list.
  const TObjectSet* GetSet(int row) const;
  // Puts Set in place of the item at Row, or appends it when Row is past the items.
  void ReplaceSet(int row, TObjectSet set);
  // Row may be the count: the slot is appended.
  void InsertEmptySlot(int row);
  // The clipboard becomes a copy of the set at Row (empty for a slot); rows past the items
  // leave it alone.
  void CopySet(int row);
  // Inserts a copy of the clipboard at Row; an empty clipboard does nothing.
  void PasteSet(int row);
  // Removes an empty slot, or a set when withCtrl is given; other rows stay.
  void DeleteSet(int row, bool withCtrl);
  // Whether the list changed since it was last loaded, saved or cleared.
  bool Changed() const { return changed_flag_; }

  // The sets as the file text.
  std::string ToText() const;
  // The sets of a file's text.
  static std::vector<TObjectSet> Parse(std::string_view text);

  void SetChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }
  void NotifyChanged() const {
    if (changed_) changed_();
  }

 private:
  void Touch() {
    changed_flag_ = true;
    NotifyChanged();
  }

  std::function<void()> changed_;
  bool changed_flag_ = false;
};

}  // namespace hl

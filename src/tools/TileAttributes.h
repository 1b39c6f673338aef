#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "util/SaveResult.h"

namespace hl {

// The attribute flag of each 50-tile group, kept in "Tile.atr" in the folder the editor
// started in: one line per group, "1" for set and anything else for not set, lines ended by
// CR LF. The list may be longer or shorter than the groups; it is kept as it is.
class TileAttributes {
 public:
  static constexpr char kFileName[] = "Tile.atr";
  // A line per group of 50 tiles; even 65,535 tiles make a few kilobytes.
  static constexpr std::size_t kMaxFileBytes = 1 << 20;

  // Finds the file in `folder` (exact name first, then in any letter case) and reads it; a
  // missing file leaves the list empty. False, with a reason, when it exists but cannot be read.
  bool Load(const std::string& folder, std::string* error);
  // Writes the list back to the file found, or to "Tile.atr" in the folder. The old file stays
  // whole when the write fails.
  SaveResult Save() const;

  // The group count is handed over at start-up; a longer list than ours gets zeros up to one
  // more than the count, as the palette's grid has a spare row.
  void SetGroupCount(int groups);
  // Inverts the entry of `row` when the list has one; false when it has none.
  bool Toggle(int row);
  bool IsSet(int row) const {
    return row >= 0 && row < static_cast<int>(values_.size()) &&
           values_[static_cast<std::size_t>(row)] == 1;
  }

  const std::vector<int>& Values() const { return values_; }
  const std::string& Path() const { return path_; }

 private:
  std::vector<int> values_;
  std::string path_;
};

}  // namespace hl

#pragma once

#include <algorithm>

#include "map/MapUnits.h"

namespace hl {

// What the pickers and the tile palette offer for library sizes, shared with the scripts that
// set the same selections.
namespace pickers {

inline constexpr int kTileColumns = 5;
inline constexpr int kObjectLibrariesBrowsed = 7;

// Rows of the tile picker: enough for every tile (the last row may be partial), at least one.
inline int TileRows(int imageCount) {
  return std::max(1, (imageCount + kTileColumns - 1) / kTileColumns);
}
// The tile picker's selection, -1 past the last tile.
inline int TileSelection(int row, int col, int imageCount) {
  const int index = row * kTileColumns + col;
  return index >= 0 && index < imageCount ? index : -1;
}
inline int BigTileGroups(int tileCount) {
  return (tileCount + kBigTileGroupSize - 1) / kBigTileGroupSize;
}
inline int SmallTileGroups(int smallTileCount) {
  return (smallTileCount + kSmallTileGroupSize - 1) / kSmallTileGroupSize;
}
inline int ObjectColumns(int imageCount) {
  return std::clamp(imageCount, 1, kObjectIndexBase);
}
// The object picker's selection in library `library`: an ObjectIndex, -1 past the last image.
inline int ObjectSelection(int col, int library, int imageCount) {
  return col >= 0 && col < imageCount ? ObjectIndex::Make(library, col) : -1;
}

}  // namespace pickers
}  // namespace hl

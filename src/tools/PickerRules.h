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
// An object of w x h pixels fitted into a picker cell of cellW x cellH: the largest size of
// its proportions that fits, never larger than the object itself, at least one pixel a side.
struct ObjectFit {
  int W = 0;
  int H = 0;
};
inline ObjectFit FitObject(int w, int h, int cellW, int cellH) {
  if (w <= 0 || h <= 0 || cellW <= 0 || cellH <= 0) return {};
  if (w <= cellW && h <= cellH) return {w, h};
  // Whichever side runs out first decides; the other follows, rounded down.
  if (1LL * w * cellH >= 1LL * h * cellW)
    return {cellW, std::max(1, static_cast<int>(1LL * h * cellW / w))};
  return {std::max(1, static_cast<int>(1LL * w * cellH / h)), cellH};
}
// The object picker's selection in library `library`: an ObjectIndex, -1 past the last image.
inline int ObjectSelection(int col, int library, int imageCount) {
  return col >= 0 && col < imageCount ? ObjectIndex::Make(library, col) : -1;
}

}  // namespace pickers
}  // namespace hl

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "map/MapDocument.h"
#include "tools/Region.h"

namespace hl {

// One map as a diff sees it: its cells and its size. No document is a map without cells (a
// file that is added or deleted).
struct DiffSide {
  const MapDocument* Doc = nullptr;
  int Width = 0;
  int Height = 0;

  static DiffSide Of(const MapDocument& doc) { return {&doc, doc.MapWidth(), doc.MapHeight()}; }
};

// What changed in one region layer.
struct LayerDiff {
  RegionLayer Layer = kRegionGround;
  long ChangedCells = 0;
  // The 4-connected groups of changed cells as their bounding rectangles, in row order of
  // their top-left cells (then column order).
  std::vector<CellRect> Areas;
};

// Two maps compared cell by cell over the larger width and the larger height; cells outside a
// map count as empty.
struct MapDiff {
  int OldWidth = 0, OldHeight = 0, NewWidth = 0, NewHeight = 0;
  int Width = 0, Height = 0;        // the area compared
  std::array<LayerDiff, 4> Layers;  // ground, small, objects, attributes
  // Whether any layer changed at (x, y), column by column: what the picture tints.
  std::vector<std::uint8_t> AnyChange;
  // The groups of cells changed in any layer, as Areas: what the picture outlines.
  std::vector<CellRect> AnyAreas;

  bool SizeChanged() const { return OldWidth != NewWidth || OldHeight != NewHeight; }
  bool Equal() const;
  bool Changed(int x, int y) const {
    return AnyChange[static_cast<std::size_t>(x) * static_cast<std::size_t>(Height) +
                     static_cast<std::size_t>(y)] != 0;
  }
};

MapDiff DiffMaps(const DiffSide& before, const DiffSide& after);

// The layer's name in the output: "ground", "small", "objects", "attributes".
const char* LayerName(RegionLayer layer);

// At most this many areas of a layer are listed; the rest are counted.
inline constexpr std::size_t kListedAreas = 100;

// The text form: the size change if any, then per layer the changed cells and areas.
std::string DiffText(const MapDiff& diff);
// The same as one line of JSON.
std::string DiffJson(const MapDiff& diff);

}  // namespace hl

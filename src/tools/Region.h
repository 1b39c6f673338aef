#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "map/MapDocument.h"
#include "objects/ObjectSets.h"

namespace hl {

// The layers of fields a region carries, as flags.
enum RegionLayer : std::uint8_t {
  kRegionGround = 1,      // BackTile bits 0-14: the big tile
  kRegionSmall = 2,       // MiddleTile
  kRegionObjects = 4,     // ObjectImage bits 0-14, ObjectLib, AniFrame, AniTick
  kRegionAttributes = 8,  // BackMark, FrontMark, Light, Door, DoorOffset
  kRegionAllLayers = 15,
};

// The bits of a 12-byte cell record, as three little words, that the layers carry: comparing
// or replacing whole words lets diffs and large pastes run at the speed of a copy.
std::array<std::uint32_t, 3> RegionLayerMask(std::uint8_t layers);

// Cells from (X0, Y0) to (X1, Y1), both included.
struct CellRect {
  int X0 = 0;
  int Y0 = 0;
  int X1 = -1;
  int Y1 = -1;

  bool Empty() const { return X1 < X0 || Y1 < Y0; }
  int Width() const { return Empty() ? 0 : X1 - X0 + 1; }
  int Height() const { return Empty() ? 0 : Y1 - Y0 + 1; }
  bool Contains(int x, int y) const { return x >= X0 && x <= X1 && y >= Y0 && y <= Y1; }
  friend bool operator==(const CellRect&, const CellRect&) = default;
};

// The cells regions read and write: columns below min(MapWidth, kAccessEnd), rows alike.
CellRect RegionBounds(const MapDocument& doc);

// What a selection dragged from one corner to the other covers: with the ground among the
// layers it grows to whole 2 x 2 blocks, so big tiles are never cut; then it is clipped to the
// map (empty when nothing of it is on the map).
CellRect SelectionRect(const MapDocument& doc, int x0, int y0, int x1, int y1,
                       std::uint8_t layers);

// The cells of a rectangle with the layers that count, column by column as map files keep them.
struct RegionCopy {
  int Width = 0;
  int Height = 0;
  std::uint8_t Layers = kRegionAllLayers;
  std::vector<TMapCell> Cells;

  bool Empty() const { return Width <= 0 || Height <= 0; }
  const TMapCell& At(int x, int y) const {
    return Cells[static_cast<std::size_t>(x) * static_cast<std::size_t>(Height) +
                 static_cast<std::size_t>(y)];
  }
};

// Cells outside the map count as empty.
RegionCopy CopyRegion(const MapDocument& doc, const CellRect& rect, std::uint8_t layers);
// The chosen layers' fields of every cell of the rectangle on the map become 0 or cleared.
void DeleteRegion(MapDocument& doc, const CellRect& rect, std::uint8_t layers);
// Where a copy placed with its top-left at (x, y) lands: on an even cell when it carries ground.
std::pair<int, int> PasteOrigin(const RegionCopy& copy, int x, int y);
// Writes the copy's layers at PasteOrigin(x, y), on the map only, with no transition pass.
// Merging leaves the target's unit where the copy's is empty (ground, small tile, object with
// its library and animation, each mark, light, door with its offset). Returns the cells written.
CellRect PasteRegion(MapDocument& doc, const RegionCopy& copy, int x, int y, bool merge);
// A move's offset: rounded toward zero to even when the ground moves.
std::pair<int, int> MoveOffset(std::uint8_t layers, int dx, int dy);
// Takes the layers' fields out of the rectangle and puts them back at the offset (replacing
// what was there). Returns the moved selection, clipped to the map.
CellRect MoveRegion(MapDocument& doc, const CellRect& rect, std::uint8_t layers, int dx, int dy);

// The clipboard form: "HLCELLS1", width and height (16-bit little-endian), the layer flags,
// then the 12-byte cell records column by column.
inline constexpr char kCellsMimeType[] = "application/x-harbourlight-cells";
std::vector<std::uint8_t> EncodeCells(const RegionCopy& copy);
// Nothing, with the reason, for data that is not ours or is damaged.
std::optional<RegionCopy> DecodeCells(std::span<const std::uint8_t> bytes, std::string* why);

// An object set of the copy's cells, relative to its top-left: big tiles from the even cells of
// each block, objects with their animation and alpha flag, lights, doors and marks. Sets keep
// no small tiles; `hadSmallTiles` says whether the copy held any.
TObjectSet SetFromRegion(const RegionCopy& copy, bool* hadSmallTiles);

}  // namespace hl

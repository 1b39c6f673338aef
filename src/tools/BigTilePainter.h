#pragma once

#include <cstdint>

#include "map/MapDocument.h"
#include "tools/CellArea.h"
#include "tools/RedrawSink.h"
#include "tools/ToolRandom.h"

namespace hl {

// Where a big tile of a group shows the group's ground; the rest of it shows what lies around
// (the demo art draws its tiles from this, so the pictures follow the rules).
enum class BigTileShape {
  Full,
  OnlyBottomRight,
  OnlyBottomLeft,
  OnlyTopRight,
  OnlyTopLeft,
  AllButTopLeft,
  AllButTopRight,
  AllButBottomLeft,
  AllButBottomRight,
  BottomHalf,
  TopHalf,
  RightHalf,
  LeftHalf,
};

// Painting the background layer with big tiles of one group of kBigTileGroupSize tiles: blocks with automatic
// edge and corner transitions, single tiles by hand, and flood fills. All positions are cell
// coordinates; big tiles lie on even cells, two apart.
class BigTilePainter {
 public:
  // The cells a side that a block press may read or change: its rules look at the tiles two
  // cells beyond those from six cells before the block to six after it, two cells each.
  static constexpr int kBlockReach = 18;
  // The cells a block press may look at: two rounds of two rules on 7 x 7 tiles and the corner
  // rule on 4 x 4, each looking at a tile and its neighbours (up to nine looks).
  static constexpr std::uint64_t kBlockCellVisits = (2 * 2 * 7 * 7 + 4 * 4) * 9;

  BigTilePainter(MapDocument& doc, RedrawSink& redraw, ToolRandom& random, int group)
      : doc_(doc), redraw_(redraw), random_(random), group_(group) {}

  // A 2 x 2 block of big tiles at (x, y), multiples of 4, and the transitions around it.
  void PaintBigBlock(int x, int y);
  // The block a press at cell (x, y) paints: its position rounded down (toward zero) to
  // multiples of 4, and its 4 x 4 cells.
  static CellArea BlockAt(int x, int y);
  // The big tile PlaceSingleTile at (x, y) changes: its even cell and the three it covers.
  static CellArea TileAt(int x, int y);
  // One tile chosen by hand (`currentTile`, -1 for none) at the even cell of (x, y); with Alt
  // the tile is removed. BackMark stays either way.
  void PlaceSingleTile(int x, int y, bool alt, int currentTile);
  // Fills the region of full tiles of `startGroup` (-1: empty cells) around (x, y), even.
  void FillBigTiles(int x, int y, int startGroup);

  // Variants 0 .. kFullVariants - 1 are full tiles, chosen at random.
  static constexpr int kFullVariants = 5;
  static int Priority(int variant);
  // The shape of each variant as the rules place it; variants they never place are full.
  static BigTileShape ShapeOf(int variant);

 private:
  int Tile(int x, int y) const { return doc_.GetBackTile(x, y); }
  int Variant(int x, int y) const;
  bool HoldsGroup(int x, int y) const;
  void SetVariant(int x, int y, int variant);
  void PlaceVariant(int x, int y, int variant);
  void InteriorRule(int cx, int cy);
  void TransitionRules(int cx, int cy);
  void InnerCorners(int cx, int cy);

  MapDocument& doc_;
  RedrawSink& redraw_;
  ToolRandom& random_;
  int group_;
};

}  // namespace hl

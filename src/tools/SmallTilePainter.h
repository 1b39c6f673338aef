#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "map/MapDocument.h"
#include "tools/RedrawSink.h"
#include "tools/ToolRandom.h"

namespace hl {

// Where a small-tile piece shows its group's ground; the rest of it is transparent. The edge
// pieces are named by the side toward the full cell they border (the demo art draws its small
// tiles from this, so the pictures follow the rules).
enum class SmallPieceShape {
  Full,
  Bottom,
  BottomLeft,
  Left,
  TopLeft,
  Top,
  TopRight,
  Right,
  BottomRight,
  AllButBottomLeft,
  AllButTopLeft,
  AllButTopRight,
  AllButBottomRight,
};

// Painting the middle layer with small tiles of one group of kSmallTileGroupSize images: a press paints one cell
// full, surrounds it with edge pieces and repairs the pieces around it in growing squares
// until nothing changes (at most 31 passes).
class SmallTilePainter {
 public:
  static constexpr int kMaxPasses = 31;
  // The cells a side that a press may read or change: the passes' squares grow to a radius of
  // kMaxPasses, and each rule reads the cells around its own.
  static constexpr int kPressReach = 2 * (kMaxPasses + 1) + 1;
  // The cells a press may look at: every pass goes through its whole square, and each rule
  // looks at a cell and its eight neighbours.
  static constexpr std::uint64_t kMaxCellVisits = [] {
    std::uint64_t runs = 0;
    for (std::uint64_t r = 1; r <= kMaxPasses; ++r) runs += (2 * r + 1) * (2 * r + 1);
    return 9 * runs;
  }();
  // A group's images: kFullImages full cells, then kImagesPerPiece of each other piece.
  static constexpr int kFullImages = 8;
  static constexpr int kImagesPerPiece = 4;
  static int PieceOfImage(int image) {
    return image < kFullImages ? 0 : (image - kFullImages) / kImagesPerPiece + 1;
  }
  static int VariantOfImage(int image) {
    return image < kFullImages ? image : (image - kFullImages) % kImagesPerPiece;
  }
  // Piece 13 is never placed and draws as a full cell.
  static SmallPieceShape ShapeOf(int piece);

  SmallTilePainter(MapDocument& doc, RedrawSink& redraw, ToolRandom& random, int group)
      : doc_(doc), redraw_(redraw), random_(random), group_(group) {}

  void PaintSmallTile(int x, int y);

  // The piece of the group at a cell: 0 full, 1-12 edges and corners, 13 the unused piece,
  // -1 for no tile of the group (or outside 0..998).
  int Piece(int x, int y) const;
  // The cells the last press changed, in order.
  const std::vector<std::pair<int, int>>& Changed() const { return changed_; }

 private:
  void SetSmallPiece(int x, int y, int piece);
  void Surround(int x, int y);
  void Relax(int x, int y, int radius);
  void RelaxCell(int cx, int cy);

  MapDocument& doc_;
  RedrawSink& redraw_;
  ToolRandom& random_;
  int group_;
  int counter_ = 0;
  std::vector<std::pair<int, int>> changed_;
  // Which cells around the press are in changed_ already, so that noting a change costs the
  // same however many came before it (a search of the list made a long press quadratic).
  int pressX_ = 0;
  int pressY_ = 0;
  std::vector<bool> noted_;
};

}  // namespace hl

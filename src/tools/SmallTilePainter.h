#pragma once

#include <utility>
#include <vector>

#include "map/MapDocument.h"
#include "tools/RedrawSink.h"
#include "tools/ToolRandom.h"

namespace hl {

// Painting the middle layer with small tiles of one 60-image group: a press paints one cell
// full, surrounds it with edge pieces and repairs the pieces around it in growing squares
// until nothing changes (at most 31 passes).
class SmallTilePainter {
 public:
  static constexpr int kGroupSize = 60;
  static constexpr int kMaxPasses = 31;

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
};

}  // namespace hl

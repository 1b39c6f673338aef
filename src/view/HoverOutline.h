#pragma once

#include <QImage>
#include <QRect>
#include <array>
#include <span>
#include <vector>

#include "images/Drawing.h"

namespace hl {

// One cell of an object set as the footprint needs it.
struct FootprintCell {
  int X = 0;
  int Y = 0;
  int ObjectIndex = -1;
};

// The outline of the selected object set: up to 300 cells relative to the hovered cell. An
// entry whose left equals its right is empty and ends the table.
struct SetFootprint {
  static constexpr int kEntries = 300;
  struct Entry {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
  };
  std::array<Entry, kEntries> Entries{};

  bool Empty() const { return Entries[0].Left == Entries[0].Right; }
  // Cells without an object leave no entry; a set of more than 300 outlines its first 300.
  void SetFromSet(std::span<const FootprintCell> cells);
  void Clear() { Entries.fill({}); }
};

// What the outline marks: the W x H cells from (X, Y), what a click there changes; or, when
// object sets are being placed, the footprint of the set standing on (X, Y).
struct HoverShape {
  int X = 0, Y = 0, W = 1, H = 1;
  bool PlacingSets = false;
  friend bool operator==(const HoverShape&, const HoverShape&) = default;
};

// The surface rectangles of the outline at a scale, on the edges the tiles of those cells
// fill: one for the rectangle of cells, or, when object sets are being placed and the
// footprint is not empty, one per footprint entry.
std::vector<QRect> HoverRectangles(const HoverShape& shape, ScaleFactor scale,
                                   const SetFootprint& footprint);

// Draws the outline of `rect` (its edge pixels) as a dark line with a light line just inside,
// so that it shows on dark ground and on light.
void DrawHoverRect(QPainter& painter, const QRect& rect);

// Inverts every other pixel along the edges of `rect` (right and bottom exclusive) in a
// Format_RGB32 image, each pixel once: drawn twice at the same place, it is gone again.
void XorFocusRect(QImage& image, const QRect& rect);

}  // namespace hl

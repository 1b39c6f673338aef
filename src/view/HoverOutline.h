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

// The focus rectangles that mark cell (x, y) at a scale: the one-cell outline, or when object
// sets are being placed and the footprint is not empty, one rectangle per footprint entry.
std::vector<QRect> HoverRectangles(int x, int y, ScaleFactor scale, bool placingSets,
                                   const SetFootprint& footprint);

// Inverts every other pixel along the edges of `rect` (right and bottom exclusive) in a
// Format_RGB32 image, each pixel once: drawn twice at the same place, it is gone again.
void XorFocusRect(QImage& image, const QRect& rect);

}  // namespace hl

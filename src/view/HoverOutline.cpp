#include "view/HoverOutline.h"

#include "view/ViewGeometry.h"

namespace hl {

void SetFootprint::SetFromSet(std::span<const FootprintCell> cells) {
  Clear();
  std::size_t n = 0;
  for (const FootprintCell& c : cells) {
    if (c.ObjectIndex < 0) continue;
    if (n == Entries.size()) break;
    Entries[n++] = {c.X, c.Y, c.X + 1, c.Y + 1};
  }
}

std::vector<QRect> HoverRectangles(int x, int y, ScaleFactor scale, bool placingSets,
                                   const SetFootprint& footprint) {
  // The outline is one cell (its size never changes), drawn on the edges the tiles of that
  // cell fill.
  std::vector<QRect> rects;
  if (placingSets && !footprint.Empty()) {
    for (const SetFootprint::Entry& e : footprint.Entries) {
      if (e.Left == e.Right) break;
      rects.push_back(CellSpan(scale, x + e.Left, y + e.Top, 1, 1));
    }
    return rects;
  }
  rects.push_back(CellSpan(scale, x, y, 1, 1));
  return rects;
}

void XorFocusRect(QImage& image, const QRect& rect) {
  if (rect.isEmpty()) return;
  auto flip = [&](int x, int y) {
    if (!image.rect().contains(x, y) || ((x + y) & 1)) return;
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    row[x] ^= 0x00FFFFFFu;
  };
  const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
  for (int x = l; x <= r; ++x) {
    flip(x, t);
    if (b != t) flip(x, b);
  }
  for (int y = t + 1; y < b; ++y) {
    flip(l, y);
    if (r != l) flip(r, y);
  }
}

}  // namespace hl

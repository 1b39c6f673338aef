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
  const int px = scale.Position(1LL * x * kCellWidth), py = scale.Position(1LL * y * kCellHeight);
  const int cellW = scale.Size(kCellWidth), cellH = scale.Size(kCellHeight);
  // The outline is one cell (its size never changes), so its width is one cell's too.
  std::vector<QRect> rects;
  if (placingSets && !footprint.Empty()) {
    for (const SetFootprint::Entry& e : footprint.Entries) {
      if (e.Left == e.Right) break;
      rects.emplace_back(px + cellW * e.Left, py + cellH * e.Top, cellW, cellH);
    }
    return rects;
  }
  rects.emplace_back(px, py, cellW, cellH);
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

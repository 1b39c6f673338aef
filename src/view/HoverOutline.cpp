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

std::vector<QRect> HoverRectangles(const HoverShape& shape, ScaleFactor scale,
                                   const SetFootprint& footprint) {
  std::vector<QRect> rects;
  if (shape.PlacingSets && !footprint.Empty()) {
    for (const SetFootprint::Entry& e : footprint.Entries) {
      if (e.Left == e.Right) break;
      rects.push_back(CellSpan(scale, shape.X + e.Left, shape.Y + e.Top, 1, 1));
    }
    return rects;
  }
  if (shape.W > 0 && shape.H > 0)
    rects.push_back(CellSpan(scale, shape.X, shape.Y, shape.W, shape.H));
  return rects;
}

void DrawHoverRect(QPainter& painter, const QRect& rect) {
  if (rect.isEmpty()) return;
  painter.save();
  painter.setBrush(Qt::NoBrush);
  // A cosmetic pen of width 1 draws drawRect(r) on r's left/top edges and one pixel beyond its
  // right/bottom: the rectangles are shrunk by one so both lines stay on the cells.
  painter.setPen(QPen(QColor(20, 20, 20), 1));
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  if (rect.width() > 2 && rect.height() > 2) {
    painter.setPen(QPen(QColor(250, 250, 250), 1));
    painter.drawRect(rect.adjusted(1, 1, -2, -2));
  }
  painter.restore();
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

#include "view/DiffPicture.h"

#include <algorithm>

#include "view/ViewGeometry.h"

namespace hl {

namespace {

constexpr QRgb kOutline = 0xFFFF0000u;

// Half the pixel, half red: what was there stays recognisable under the tint.
QRgb Tinted(QRgb p) {
  return qRgb((qRed(p) + 255) / 2, qGreen(p) / 2, qBlue(p) / 2);
}

}  // namespace

int DiffPictureDivisor(int mapWidth) {
  const long long width = 1LL * std::max(mapWidth, 0) * kCellWidth;
  int n = 1;
  while (width / n > kDiffPictureMaxWidth) ++n;
  return n;
}

QImage DrawDiffPicture(MapRenderer& renderer, const MapDiff& diff, int n) {
  QImage picture = renderer.RenderScaledDown(n);
  if (picture.isNull()) return picture;
  const ScaleFactor scale{1, n};
  const QRect bounds = picture.rect();
  for (int x = 0; x < diff.Width; ++x) {
    for (int y = 0; y < diff.Height; ++y) {
      if (!diff.Changed(x, y)) continue;
      const QRect cell = CellSpan(scale, x, y, 1, 1) & bounds;
      for (int py = cell.top(); py <= cell.bottom(); ++py) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(py));
        for (int px = cell.left(); px <= cell.right(); ++px) row[px] = Tinted(row[px]);
      }
    }
  }
  auto set = [&](int px, int py) {
    if (bounds.contains(px, py)) reinterpret_cast<QRgb*>(picture.scanLine(py))[px] = kOutline;
  };
  for (const CellRect& area : diff.AnyAreas) {
    const QRect r = CellSpan(scale, area.X0, area.Y0, area.Width(), area.Height());
    for (int px = r.left(); px <= r.right(); ++px) {
      set(px, r.top());
      set(px, r.bottom());
    }
    for (int py = r.top(); py <= r.bottom(); ++py) {
      set(r.left(), py);
      set(r.right(), py);
    }
  }
  return picture;
}

}  // namespace hl

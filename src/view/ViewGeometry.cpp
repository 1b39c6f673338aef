#include "view/ViewGeometry.h"

#include "util/Rounding.h"

namespace hl {

QRect CellSpan(ScaleFactor scale, int x, int y, int columns, int rows) {
  const int left = scale.Position(1LL * x * kCellWidth);
  const int top = scale.Position(1LL * y * kCellHeight);
  return QRect(QPoint(left, top), QPoint(scale.Position((1LL * x + columns) * kCellWidth) - 1,
                                         scale.Position((1LL * y + rows) * kCellHeight) - 1));
}

int FitZoom(int mapWidth, int mapHeight, QSize view) {
  int best = kMinZoom;
  for (int z = kMinZoom;; z = ZoomInStep(z)) {
    const QSize surface = SurfaceSize(mapWidth, mapHeight, z);
    if (surface.width() <= view.width() && surface.height() <= view.height()) best = z;
    if (z >= kMaxZoom || ZoomInStep(z) == z) break;
  }
  return best;
}

QSize SurfaceSize(int mapWidth, int mapHeight, int z) {
  return {static_cast<int>(RoundDiv(1LL * mapWidth * kCellWidth * z, kZoomDenominator)) + 1,
          static_cast<int>(RoundDiv(1LL * mapHeight * kCellHeight * z, kZoomDenominator)) + 1};
}

QSize ScrollStep(int z) {
  constexpr int kCells = 4;
  return {static_cast<int>(RoundDiv(1LL * kCells * kCellWidth * z, kZoomDenominator)),
          static_cast<int>(RoundDiv(1LL * kCells * kCellHeight * z, kZoomDenominator))};
}

}  // namespace hl

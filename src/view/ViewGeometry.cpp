#include "view/ViewGeometry.h"

#include "util/Rounding.h"

namespace hl {

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

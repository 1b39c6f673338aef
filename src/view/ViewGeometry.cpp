#include "view/ViewGeometry.h"

#include "util/Rounding.h"

namespace hl {

int ZoomOutStep(int z) {
  if (z > 21) {
    z -= 20;
    return z < 20 ? 20 : z;
  }
  z -= 5;
  return z < kMinZoom ? kMinZoom : z;
}

int ZoomInStep(int z) {
  if (z >= 20) {
    z += 20;
    if (z > 100 && z < 120) z = 100;
    return z > kMaxZoom ? kMaxZoom : z;
  }
  return z + 5;
}

std::string ZoomLabel(int z) {
  return "100:" + std::to_string(z);
}

QSize SurfaceSize(int mapWidth, int mapHeight, int z) {
  return {static_cast<int>(RoundDiv(1LL * mapWidth * kCellWidth * z, 100)) + 1,
          static_cast<int>(RoundDiv(1LL * mapHeight * kCellHeight * z, 100)) + 1};
}

QSize ScrollStep(int z) {
  return {static_cast<int>(RoundDiv(192LL * z, 100)), static_cast<int>(RoundDiv(128LL * z, 100))};
}

}  // namespace hl

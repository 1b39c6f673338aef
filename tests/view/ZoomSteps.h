#pragma once

#include <vector>

#include "map/MapUnits.h"
#include "map/Zoom.h"

namespace hl::test {

// Every zoom the "In" and "Out" buttons reach, smallest first.
inline std::vector<int> ButtonZoomSteps() {
  std::vector<int> steps{kMinZoom};
  while (steps.back() < kMaxZoom) steps.push_back(ZoomInStep(steps.back()));
  return steps;
}

}  // namespace hl::test

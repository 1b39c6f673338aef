#pragma once

#include <QSize>

#include "images/Drawing.h"
#include "map/MapUnits.h"
#include "map/Zoom.h"

namespace hl {

inline ScaleFactor ZoomScale(int hundredths) {
  return {hundredths, kZoomDenominator};
}

// The surface that holds the whole map at a zoom, one pixel wider and higher for the border.
QSize SurfaceSize(int mapWidth, int mapHeight, int hundredths);
// One click on a scroll arrow: four cells either way.
QSize ScrollStep(int hundredths);

}  // namespace hl

#pragma once

#include <QRect>
#include <QSize>

#include "images/Drawing.h"
#include "map/MapUnits.h"
#include "map/Zoom.h"

namespace hl {

inline ScaleFactor ZoomScale(int hundredths) {
  return {hundredths, kZoomDenominator};
}

// The pixels that cells x .. x + columns - 1, y .. y + rows - 1 cover at a scale: from the
// truncated corner of the first to the truncated corner of the cell after the last, so that
// neighbouring spans meet without a gap or an overlap.
QRect CellSpan(ScaleFactor scale, int x, int y, int columns, int rows);

// The surface that holds the whole map at a zoom, one pixel wider and higher for the border.
QSize SurfaceSize(int mapWidth, int mapHeight, int hundredths);
// "Zoom to Fit": the largest zoom the buttons step through at which the whole surface fits a
// view of this size, else the smallest zoom.
int FitZoom(int mapWidth, int mapHeight, QSize view);
// "Grid" draws lines between cells only where cells are at least this many pixels high.
inline bool GridShows(int hundredths) {
  return ZoomScale(hundredths).Size(kCellHeight) >= 8;
}
// One click on a scroll arrow: four cells either way.
QSize ScrollStep(int hundredths);

}  // namespace hl

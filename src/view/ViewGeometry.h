#pragma once

#include <QSize>
#include <string>

#include "images/Drawing.h"

namespace hl {

inline constexpr int kCellWidth = 48;
inline constexpr int kCellHeight = 32;
inline constexpr int kStartZoom = 40;  // hundredths
inline constexpr int kMinZoom = 5;
inline constexpr int kMaxZoom = 200;

// The zoom is held in exact hundredths; these are its two buttons. "Out" (control ZoomIn,
// handler ZoomInClick) makes the view smaller, "In" (control ZoomOut) larger.
int ZoomOutStep(int hundredths);
int ZoomInStep(int hundredths);
// "100:40" at zoom 0.4.
std::string ZoomLabel(int hundredths);

inline ScaleFactor ZoomScale(int hundredths) {
  return {hundredths, 100};
}

// The surface that holds the whole map at a zoom, one pixel wider and higher for the border.
QSize SurfaceSize(int mapWidth, int mapHeight, int hundredths);
// One click on a scroll arrow: four cells either way.
QSize ScrollStep(int hundredths);

}  // namespace hl

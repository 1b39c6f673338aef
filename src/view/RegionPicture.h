#pragma once

#include <QImage>

#include "images/LibrarySet.h"
#include "tools/Region.h"

namespace hl {

// The cells of a copy as the map view draws them at `zoom` (hundredths): the floating picture
// of a paste or move, and the picture that goes to the clipboard beside the cells.
QImage RenderRegion(const RegionCopy& copy, LibrarySet& libraries, int zoom);

// The zoom, in hundredths and at most 1, at which a copy's picture is no longer than
// `longest` pixels on either side.
int PictureZoom(const RegionCopy& copy, int longest);

}  // namespace hl

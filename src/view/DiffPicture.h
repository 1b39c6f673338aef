#pragma once

#include <QImage>

#include "tools/MapDiff.h"
#include "view/MapRenderer.h"

namespace hl {

// The widest picture `hlmap diff --png` draws.
inline constexpr int kDiffPictureMaxWidth = 2048;

// The smallest whole n for which the map drawn at 1/n of zoom 1 is at most
// kDiffPictureMaxWidth pixels wide.
int DiffPictureDivisor(int mapWidth);

// The renderer's map (the map after the change, sized to the area the diff compared) at 1/n,
// every changed cell tinted red and every group of changed cells outlined in red. A null
// image when there is no memory for it.
QImage DrawDiffPicture(MapRenderer& renderer, const MapDiff& diff, int n);

}  // namespace hl

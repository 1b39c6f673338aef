#pragma once

#include <QImage>
#include <span>
#include <vector>

#include "images/DecodedImage.h"
#include "images/LibraryWriter.h"

namespace hl {

// Turning ordinary pictures into library images. Fully transparent pixels and pure black
// become the colour that drawing keys out (black, palette index 0).

// A palette for 8-bit libraries: the pictures' own colours when there are at most 255 of
// them besides black, otherwise an even 6 x 7 x 6 colour cube. Entry 0 is all zero.
WilPalette BuildPalette(std::span<const QImage> pictures);

// The picture in the pixel form of a library of `bitCount` bits; 8-bit pictures take the
// nearest palette colour.
LibraryImage ToLibraryImage(const QImage& picture, int bitCount, const WilPalette& palette);

}  // namespace hl

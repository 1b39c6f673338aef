#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>

#include "images/LibrarySet.h"
#include "images/LibraryWriter.h"

namespace hl::test {

// Libraries of solid-colour pictures for pixel probes, written as Data libraries into a
// folder: tiles 96 x 64 (image n in TileColour(n)), small tiles 48 x 32 (SmallColour(n);
// image 5 is the darkest blue 0x0001, image 6 black on its left half), objects 48 wide and
// 80, 200 and 1 pixels high. With `oddSizes`, each tile library gets one image more, of a size
// other than its tiles': tile kOddTile and small tile kOddSmallTile.
void WriteTestLibraries(const std::string& folder, bool oddSizes = false);

inline constexpr int kOddTile = 10;
inline constexpr QSize kOddTileSize{90, 60};
inline constexpr int kOddSmallTile = 60;
inline constexpr QSize kOddSmallTileSize{40, 24};

std::uint16_t TileColour(int n);
std::uint16_t SmallColour(int n);
std::uint16_t ObjectColour(int n);
// How a 5-6-5 pixel looks once drawn on a 32-bit surface.
QRgb Drawn(std::uint16_t pixel565);

inline constexpr int kObjectHeights[] = {80, 200, 1};

// A library picture of one 5-6-5 colour.
LibraryImage Solid(int w, int h, std::uint16_t colour);

}  // namespace hl::test

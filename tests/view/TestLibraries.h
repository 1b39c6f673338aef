#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "images/LibrarySet.h"
#include "images/LibraryWriter.h"

namespace hl::test {

// Libraries of solid-colour pictures for pixel probes, written as Data libraries into a
// folder: tiles 96 x 64 (image n in TileColour(n)), small tiles 48 x 32 (SmallColour(n);
// image 5 is the darkest blue 0x0001, image 6 black on its left half), objects 48 wide and
// 80, 200 and 1 pixels high.
void WriteTestLibraries(const std::string& folder);

std::uint16_t TileColour(int n);
std::uint16_t SmallColour(int n);
std::uint16_t ObjectColour(int n);
// How a 5-6-5 pixel looks once drawn on a 32-bit surface.
QRgb Drawn(std::uint16_t pixel565);

inline constexpr int kObjectHeights[] = {80, 200, 1};

// A library picture of one 5-6-5 colour.
LibraryImage Solid(int w, int h, std::uint16_t colour);

}  // namespace hl::test

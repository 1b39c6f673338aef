#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <vector>

#include "images/TTexture.h"

namespace hl {

// A 256-entry palette as libraries store it: blue, green, red, reserved.
using WilPalette = std::array<std::uint8_t, 1024>;

// The pixels of one library image as read from its record, whatever the library format:
// rows top-down without padding. 8-bit pixels are palette indexes, 16-bit ones 5-6-5 words,
// 24-bit ones blue, green, red and 32-bit ones blue, green, red and an unused byte.
struct DecodedImage {
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 16;
  std::int16_t PX = 0;
  std::int16_t PY = 0;
  std::vector<std::uint8_t> Rows;

  std::size_t RowBytes() const {
    return static_cast<std::size_t>(Width) * static_cast<std::size_t>(BitsPerPixel / 8);
  }
  const std::uint8_t* Row(int y) const {
    return Rows.data() + RowBytes() * static_cast<std::size_t>(y);
  }
};

// Largest pixel count a library image may have: far above any tile or object (a 4096 x 4096
// picture), far below what a crafted header can ask for, so that one request never allocates
// more than 64 MiB.
inline constexpr std::int64_t kMaxImagePixels = 4096 * 4096;

// 5-6-5 from 8-bit channels, keeping the top bits: black stays 0 and keys out when drawn.
inline std::uint16_t To565(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// The bitmap form: 16-bit images and palette images as QImage::Format_RGB16, 24-bit ones as
// Format_BGR888 and 32-bit ones as Format_RGB32. A palette is needed for 8-bit images.
QImage MakeBitmapForm(const DecodedImage& image, const WilPalette* palette);

// The texture form: 5-6-5 pixels where 0 is transparent. Palette entries that are all zero
// give 0; every other colour is floored at 8 per channel, so opaque black is 0x0841.
TTexture MakeTextureForm(const DecodedImage& image, const WilPalette* palette);

}  // namespace hl

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "images/DecodedImage.h"
#include "util/SaveResult.h"

namespace hl {

// One picture to store in a library: rows top-down without padding, in the pixel form of the
// library (8-bit palette indexes, 16-bit 5-6-5 words, 24-bit blue-green-red, 32-bit
// blue-green-red-unused).
struct LibraryImage {
  int Width = 0;
  int Height = 0;
  std::int16_t PX = 0;
  std::int16_t PY = 0;
  std::vector<std::uint8_t> Pixels;
};

struct WilWriteOptions {
  int BitCount = 8;      // 8, 16, 24 or 32
  bool Older = false;    // the older layout; 16-bit libraries always get it
  WilPalette Palette{};  // used by 8-bit images; entry 0 must be all zero in the older layout
};

// Writes `path` (the .wil) and the .WIX index named after it. Only files that TWilImages
// reads back exactly as written are produced; anything else is refused with a reason.
SaveResult WriteWilLibrary(const std::string& path, const WilWriteOptions& options,
                           std::span<const LibraryImage> images);

// Writes a .Data library of 5-6-5 images with compression method 0 to 3.
SaveResult WriteDataLibrary(const std::string& path, int method,
                            std::span<const LibraryImage> images);

}  // namespace hl

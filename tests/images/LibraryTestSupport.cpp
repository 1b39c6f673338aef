#include "LibraryTestSupport.h"

#include <QImage>
#include <cstring>

namespace hl::test {

LibraryImage PatternImage(int width, int height, int bits, int seed) {
  LibraryImage image;
  image.Width = width;
  image.Height = height;
  image.PX = static_cast<std::int16_t>(-seed);
  image.PY = static_cast<std::int16_t>(seed * 3);
  const int bytes = bits / 8;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned v = static_cast<unsigned>((x * 7 + y * 13 + seed * 31) * 2654435761u) >> 8;
      for (int b = 0; b < bytes; ++b) {
        std::uint8_t byte = static_cast<std::uint8_t>(v >> (8 * b));
        if (bits == 8 && byte == 0) byte = 1;
        image.Pixels.push_back(byte);
      }
    }
  }
  return image;
}

std::uint16_t Pixel565(const QImage& image, int x, int y) {
  std::uint16_t v;
  std::memcpy(&v, image.constScanLine(y) + 2 * x, 2);
  return v;
}

}  // namespace hl::test

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/LibraryWriter.h"
#include "images/TGameImages.h"

namespace hl::test {

// A clock the test moves by hand.
struct ManualClock {
  std::uint32_t Now = 1000;
  TGameImages::Clock Function() {
    return [this] { return Now; };
  }
};

// A picture whose every pixel differs from its neighbours, in the pixel form of `bits`.
LibraryImage PatternImage(int width, int height, int bits, int seed);

// 5-6-5 of the pixel (x, y) of a 16-bit QImage.
std::uint16_t Pixel565(const class ::QImage& image, int x, int y);

}  // namespace hl::test

#include "TestLibraries.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "images/LibraryWriter.h"

namespace hl::test {

LibraryImage Solid(int w, int h, std::uint16_t colour) {
  LibraryImage image{w, h, 0, 0, {}};
  for (int i = 0; i < w * h; ++i) {
    image.Pixels.push_back(static_cast<std::uint8_t>(colour));
    image.Pixels.push_back(static_cast<std::uint8_t>(colour >> 8));
  }
  return image;
}

std::uint16_t TileColour(int n) {
  return static_cast<std::uint16_t>(0x8000 | (n + 1) << 5);
}
std::uint16_t SmallColour(int n) {
  return static_cast<std::uint16_t>(0x0400 | (n + 2) << 6 | 0x10);
}
std::uint16_t ObjectColour(int n) {
  return static_cast<std::uint16_t>(0xF800 | (n + 3));
}

QRgb Drawn(std::uint16_t v) {
  const int r = v >> 11, g = v >> 5 & 0x3F, b = v & 0x1F;
  return qRgb(r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2);
}

void WriteTestLibraries(const std::string& folder, bool oddSizes) {
  std::vector<LibraryImage> tiles, small, objects;
  for (int n = 0; n < 10; ++n) tiles.push_back(Solid(96, 64, TileColour(n)));
  for (int n = 0; n < 60; ++n) small.push_back(Solid(48, 32, SmallColour(n)));
  small[5] = Solid(48, 32, 0x0001);
  for (int i = 0; i < 48 * 32; ++i) {
    if (i % 48 < 24) small[6].Pixels[2 * i] = small[6].Pixels[2 * i + 1] = 0;
  }
  for (int n = 0; n < 3; ++n) objects.push_back(Solid(48, kObjectHeights[n], ObjectColour(n)));
  if (oddSizes) {
    tiles.push_back(Solid(kOddTileSize.width(), kOddTileSize.height(), TileColour(kOddTile)));
    small.push_back(
        Solid(kOddSmallTileSize.width(), kOddSmallTileSize.height(), SmallColour(kOddSmallTile)));
  }
  for (const auto& [name, images] :
       {std::pair{"Tiles", &tiles}, std::pair{"SmTiles", &small}, std::pair{"Objects", &objects}}) {
    const SaveResult written = WriteDataLibrary(folder + "/" + name + ".Data", 0, *images);
    EXPECT_TRUE(written) << written.Message();
  }
}

}  // namespace hl::test

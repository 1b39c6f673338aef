#pragma once

#include <QImage>
#include <vector>

namespace hl {

// Our own art set for trying the editor without game data, drawn by code so that it is the
// same on every machine: the images of "Tiles", "SmTiles", "Objects" and "Objects2".
// Pictures are opaque RGB; black is the transparent colour of the middle layer and objects.
struct DemoArt {
  std::vector<QImage> Tiles;     // groups of kBigTileGroupSize big tiles
  std::vector<QImage> SmTiles;   // groups of kSmallTileGroupSize small tiles, and the marks
  std::vector<QImage> Objects;   // trees, bushes, rocks and flowers
  std::vector<QImage> Objects2;  // fences, houses, lamps, wells and the like

  static DemoArt Draw();

  static constexpr int kTileGroups = 4;       // grass, sand, water, stone
  static constexpr int kSmallTileGroups = 3;  // dirt path, moss, gravel
};

}  // namespace hl

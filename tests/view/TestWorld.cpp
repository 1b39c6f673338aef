#include "TestWorld.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "images/LibraryWriter.h"
#include "segments/SegmentProject.h"
#include "view/TestLibraries.h"

namespace hl::test {

namespace {

LibraryImage Patterned(QSize size, int seed) {
  LibraryImage image{size.width(), size.height(), 0, 0, {}};
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x) {
      // Never black, which drawing keys out.
      const auto v = static_cast<std::uint16_t>(0x0841 + ((x * 7 + y * 13 + seed * 101) % 0xF000));
      image.Pixels.push_back(static_cast<std::uint8_t>(v));
      image.Pixels.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  }
  return image;
}

void PutObject(MapDocument& doc, int x, int y, int library, int image) {
  doc.SetObject(x, y, ObjectIndex::Make(library, image) + 1);
}

}  // namespace

std::unique_ptr<MapDocument> WriteTestWorld(const std::string& folder, int cols, int rows,
                                            unsigned seed) {
  WriteTestLibraries(folder, true);
  std::vector<LibraryImage> objects2;
  for (int i = 0; i < 3; ++i) objects2.push_back(Patterned(kObjects2Sizes[i], i));
  EXPECT_TRUE(WriteDataLibrary(folder + "/Objects2.Data", 0, objects2));

  auto world = std::make_unique<MapDocument>();
  const int width = cols * kSegmentSide, height = rows * kSegmentSide;
  world->SetMapSize(width, height);
  std::mt19937 rng(seed);
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      // Tile 10 and small tile 60 are the odd sizes that reach beyond their cells.
      if (x % 2 == 0 && y % 2 == 0) world->SetBackTile(x, y, static_cast<int>(rng() % 11) + 1);
      if (rng() % 4 != 0) world->SetMiddleTile(x, y, static_cast<int>(rng() % 61) + 1);
      if (rng() % 23 == 0) PutObject(*world, x, y, 0, static_cast<int>(rng() % 3));
      if (rng() % 97 == 0) PutObject(*world, x, y, 1, kSmallObject);
    }
  }
  // Over the borders: at the top row of a segment reaching into the one above, at the right
  // column reaching into the next, and the two large ones over more than a segment.
  for (int c = 0; c < cols; ++c) {
    for (int r = 0; r < rows; ++r) {
      PutObject(*world, c * kSegmentSide + 5, r * kSegmentSide, 0, 1);
      PutObject(*world, c * kSegmentSide + kSegmentSide - 1, r * kSegmentSide + 12, 1,
                kSmallObject);
    }
  }
  PutObject(*world, 3, height - 2, 1, kWideObject);
  PutObject(*world, width - 7, height - 1, 1, kTallObject);
  for (int c = 0; c < cols; ++c) {
    for (int r = 0; r < rows; ++r) {
      const SaveResult saved = SaveSegment(*world, folder + "/" + SegmentName("T", c, r) + ".sem",
                                           c * kSegmentSide, r * kSegmentSide);
      EXPECT_TRUE(saved) << saved.Message();
    }
  }
  EXPECT_TRUE(WriteProject(folder + "/T.mp", {"T", cols, rows}));
  return world;
}

std::unique_ptr<MapDocument> AssembleArea(const MapDocument& world, const QRect& segments) {
  auto doc = std::make_unique<MapDocument>();
  const int x0 = segments.x() * kSegmentSide, y0 = segments.y() * kSegmentSide;
  doc->SetMapSize(segments.width() * kSegmentSide, segments.height() * kSegmentSide);
  for (int x = 0; x < doc->MapWidth(); ++x) {
    for (int y = 0; y < doc->MapHeight(); ++y) doc->SetCell(x, y, world.Cell(x0 + x, y0 + y));
  }
  return doc;
}

}  // namespace hl::test

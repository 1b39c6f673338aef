#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "TempDir.h"
#include "TestLibraries.h"
#include "view/PreparedImageCache.h"
#include "view/ViewGeometry.h"

namespace hl {
namespace {

class PreparedImageCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path(), true);
    libs_.Open(LibraryFormat::Data, dir_.Path());
  }
  test::TempDir dir_;
  LibrarySet libs_;
  PreparedImageCache cache_;
};

TEST_F(PreparedImageCacheTest, TilesTakeEachBoxTheirCellsGiveAndKeepIt) {
  cache_.SetScale(ZoomScale(40));  // a big tile's cells are 38 or 39 by 25 or 26 pixels
  auto& tiles = cache_.For(libs_.Tiles(), {kBigTileWidth, kBigTileHeight});
  std::set<const PreparedImage*> seen;
  for (int w : {38, 39}) {
    for (int h : {25, 26}) {
      const PreparedImage* image = tiles.GetFitted(3, false, w, h);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(std::pair(image->Width(), image->Height()), std::pair(w, h));
      EXPECT_EQ(tiles.GetFitted(3, false, w, h), image);  // prepared once
      seen.insert(image);
    }
  }
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(tiles.MaxWidth(), 39);
  EXPECT_EQ(tiles.MaxHeight(), 26);
  // The scaled size of the stored one is Round(38.4) x Round(25.6): a box of its own.
  EXPECT_EQ(tiles.Get(3, false)->Width(), 38);
  EXPECT_EQ(tiles.Get(3, false)->Height(), 26);
}

TEST_F(PreparedImageCacheTest, OtherSizesKeepTheirScaledSizeWhateverTheBox) {
  cache_.SetScale(ZoomScale(40));
  auto& tiles = cache_.For(libs_.Tiles(), {kBigTileWidth, kBigTileHeight});
  const PreparedImage* odd = tiles.GetFitted(test::kOddTile, false, 39, 26);
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd, tiles.Get(test::kOddTile, false));
  EXPECT_EQ(std::pair(odd->Width(), odd->Height()), std::pair(36, 24));
  // A library without a tile size fits nothing.
  auto& objects = cache_.For(libs_.ObjectSlotLibrary(0));
  EXPECT_EQ(objects.GetFitted(0, true, 20, 32)->Width(), 19);
  EXPECT_EQ(tiles.GetFitted(libs_.Tiles().ImageCount, false, 39, 26), nullptr);
}

TEST_F(PreparedImageCacheTest, KeyedAndOpaqueBoxesAreApart) {
  cache_.SetScale(ZoomScale(140));  // a small tile's cell is 67 or 68 by 44 or 45
  auto& small = cache_.For(libs_.SmTiles(), {kCellWidth, kCellHeight});
  const PreparedImage* keyed = small.GetFitted(6, true, 68, 44);
  const PreparedImage* opaque = small.GetFitted(6, false, 68, 44);
  ASSERT_NE(keyed, nullptr);
  ASSERT_NE(opaque, nullptr);
  EXPECT_TRUE(keyed->Keyed);
  EXPECT_FALSE(opaque->Keyed);
  // Image 6 is black on its left half: the keyed copy leaves those 34 columns out.
  EXPECT_EQ(keyed->Runs.at(0).Begin, 34);
  EXPECT_EQ(keyed->Runs.at(0).End, 68);
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

// At zoom 1 a tile is 96 x 64 pixels: 24 KiB prepared.
constexpr std::size_t kTileBytes = 96 * 64 * 4;

class PreparedImageBudgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path(), true);
    libs_.Open(LibraryFormat::Data, dir_.Path());
    ImageBudget::SetReporter([this](const std::string& m) { messages_.push_back(m); });
  }
  void TearDown() override { ImageBudget::SetReporter({}); }
  test::TempDir dir_;
  LibrarySet libs_;
  std::vector<std::string> messages_;
};

TEST_F(PreparedImageBudgetTest, EachFrameKeepsWhatItUsesAndEarlierFramesMakeRoom) {
  PreparedImageCache cache(4 * kTileBytes);
  cache.SetScale(ZoomScale(100));
  auto& tiles = cache.For(libs_.Tiles());
  cache.BeginFrame();
  std::vector<const PreparedImage*> first;
  for (int n = 0; n < 4; ++n) first.push_back(tiles.Get(n, false));
  // A fifth image in the same frame finds no room: it is missing, and what the frame holds
  // stays as it was (the copies are read here, after the refusal).
  EXPECT_EQ(tiles.Get(4, false), nullptr);
  for (int n = 0; n < 4; ++n) {
    ASSERT_NE(first[static_cast<std::size_t>(n)], nullptr);
    EXPECT_EQ(first[static_cast<std::size_t>(n)]->Data[0] & 0xFFFFFFu,
              test::Drawn(test::TileColour(n)) & 0xFFFFFFu);
  }
  EXPECT_LE(cache.Used(), cache.Budget());

  cache.BeginFrame();
  const PreparedImage* kept = tiles.Get(3, false);
  EXPECT_EQ(kept, first[3]);  // still prepared
  for (int n = 4; n < 7; ++n) ASSERT_NE(tiles.Get(n, false), nullptr) << n;  // room made
  EXPECT_EQ(tiles.Get(3, false), kept);  // what this frame used was not the room
  EXPECT_LE(cache.Used(), cache.Budget());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PreparedImageBudgetTest, AnImageLargerThanTheBudgetIsNeverPrepared) {
  PreparedImageCache cache(kTileBytes);
  cache.SetScale(ZoomScale(200));  // a tile of 192 x 128: four times the budget
  auto& tiles = cache.For(libs_.Tiles(), {kBigTileWidth, kBigTileHeight});
  for (int frame = 0; frame < 2; ++frame) {
    cache.BeginFrame();
    EXPECT_EQ(tiles.Get(2, false), nullptr);
    EXPECT_EQ(tiles.GetFitted(2, false, 192, 128), nullptr);
  }
  EXPECT_EQ(cache.Used(), 0u);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("image 2 of"), std::string::npos);
  cache.SetScale(ZoomScale(50));  // 48 x 32 fits
  cache.BeginFrame();
  EXPECT_NE(cache.For(libs_.Tiles()).Get(2, false), nullptr);
}

TEST(PreparedImageTest, NothingToScaleGivesNothingToDraw) {
  EXPECT_TRUE(ScaleNearest(QImage(), 4, 4).isNull());
  const PreparedImage p = PrepareImage(QImage(), QSize(4, 4), true);
  EXPECT_TRUE(p.Pixels.isNull());
  QImage target(8, 8, QImage::Format_RGB32);
  target.fill(0xFF123456u);
  BlitPrepared(target, 0, 0, p, target.rect());
  EXPECT_EQ(target.pixel(0, 0), 0xFF123456u);
}

}  // namespace
}  // namespace hl

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

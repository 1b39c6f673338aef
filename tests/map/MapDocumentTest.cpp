#include <gtest/gtest.h>

#include <memory>

#include "map/MapDocument.h"

namespace hl {
namespace {

class MapDocumentTest : public ::testing::Test {
 protected:
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  MapDocument& d() { return *doc_; }
};

TEST_F(MapDocumentTest, NewDocumentIsAnEmpty200By200Map) {
  EXPECT_EQ(d().MapWidth(), 200);
  EXPECT_EQ(d().MapHeight(), 200);
  for (int x : {0, 199, 500, 998}) {
    for (int y : {0, 57, 998}) {
      EXPECT_EQ(d().GetBackTile(x, y), -1);
      EXPECT_EQ(d().GetMiddleTile(x, y), -1);
      EXPECT_EQ(d().GetObject(x, y), -1);
      int off = 9, door = 9, light = 9;
      EXPECT_TRUE(d().GetLightAndDoor(x, y, off, door, light));
      EXPECT_EQ(off + door + light, 0);
    }
  }
  EXPECT_EQ(d().Cell(1010, 1010), TMapCell{});
}

TEST_F(MapDocumentTest, GettersAnswerNoneOutsideTheirRange) {
  for (int x = 0; x < 1011; ++x) d().SetCell(x, 999, TMapCell{5, 6, 7, 8, 9, 10, 11, 12, 13});
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {999, 0}, {0, 999}, {1010, 1010}, {5000, 3}}) {
    EXPECT_EQ(d().GetBackTile(x, y), -1);
    EXPECT_EQ(d().GetBackTileGroup(x, y), -1);
    EXPECT_EQ(d().GetBackTileVariant(x, y), -1);
    EXPECT_EQ(d().GetMiddleTile(x, y), -1);
    EXPECT_EQ(d().GetObject(x, y), -1);
    EXPECT_EQ(d().GetBackTileRaw(x, y), 0);
    EXPECT_EQ(d().HasFrontMark(x, y), 0);
    EXPECT_EQ(d().GetAniFrame(x, y), 0);
    int off = 0, door = 0, light = 0;
    EXPECT_FALSE(d().GetLightAndDoor(x, y, off, door, light));
  }
}

TEST_F(MapDocumentTest, SettersIgnoreCoordinatesOutsideTheirRange) {
  d().SetBackTile(1000, 0, 5);
  d().SetMiddleTile(0, 1000, 5);
  d().SetObject(999, 0, 5);
  d().SetLight(0, 999, 3);
  d().SetMarks(999, 999, 3);
  d().SetBackTileBlock(999, 0, 5);
  d().SetBackTile(-1, 0, 5);
  d().SetCell(1011, 0, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});
  for (int x = 0; x < 1011; ++x) {
    for (int y : {0, 998, 999, 1000, 1010}) {
      EXPECT_EQ(d().Cell(x, y), TMapCell{}) << x << "," << y;
      EXPECT_EQ(d().Cell(y, x), TMapCell{}) << y << "," << x;
    }
  }
}

TEST_F(MapDocumentTest, TileSettersReachColumnAndRow999) {
  d().SetBackTile(999, 0, 12);
  d().SetMiddleTile(0, 999, 34);
  EXPECT_EQ(d().Cell(999, 0).BackTile, 12);
  EXPECT_EQ(d().Cell(0, 999).MiddleTile, 34);
  // ...while the getters stop at 998.
  EXPECT_EQ(d().GetBackTile(999, 0), -1);
}

TEST_F(MapDocumentTest, BackTileBlockWritesFourCellsFromItsTopLeft) {
  d().SetBackTileBlock(998, 998, 77);
  EXPECT_EQ(d().Cell(998, 998).BackTile, 77);
  EXPECT_EQ(d().Cell(999, 998).BackTile, 77);
  EXPECT_EQ(d().Cell(998, 999).BackTile, 77);
  EXPECT_EQ(d().Cell(999, 999).BackTile, 77);
  EXPECT_EQ(d().Cell(997, 998).BackTile, 0);
  d().SetBackTileBlock(999, 0, 5);
  EXPECT_EQ(d().Cell(999, 0).BackTile, 0);
  EXPECT_EQ(d().Cell(1000, 0).BackTile, 0);
}

TEST_F(MapDocumentTest, MarksSurviveTileAndObjectWrites) {
  d().SetCell(3, 4, TMapCell{0x8005, 0, 0x8010, 0, 0, 0, 0, 4, 0});
  d().SetBackTile(3, 4, 12);
  EXPECT_EQ(d().GetBackTileRaw(3, 4), 0x800C);
  EXPECT_EQ(d().GetBackTile(3, 4), 11);
  d().SetObject(3, 4, 0);
  EXPECT_EQ(d().Cell(3, 4).ObjectImage, 0x8000);
  EXPECT_EQ(d().Cell(3, 4).ObjectLib, 0);
  EXPECT_NE(d().HasFrontMark(3, 4), 0);
}

TEST_F(MapDocumentTest, ObjectIndexArithmetic) {
  d().SetObject(1, 1, 2 * 65535 + 8);
  EXPECT_EQ(d().Cell(1, 1).ObjectImage, 8);
  EXPECT_EQ(d().Cell(1, 1).ObjectLib, 2);
  EXPECT_EQ(d().GetObject(1, 1), 131077);

  d().SetCell(2, 2, TMapCell{0, 0, 0, 0, 0, 0, 0, 3, 0});
  EXPECT_EQ(d().GetObject(2, 2), 3 * 65535 - 1);  // image 65534 of library 2

  d().SetCell(3, 3, TMapCell{0, 0, 0x8000 | 41, 0, 0, 0, 0, 1, 0});
  EXPECT_EQ(d().GetObject(3, 3), 65535 + 40);  // the mark is no part of the number
}

TEST_F(MapDocumentTest, GroupsAndVariantsOfBigTiles) {
  d().SetBackTile(0, 0, 50 * 7 + 13 + 1);
  EXPECT_EQ(d().GetBackTileGroup(0, 0), 7);
  EXPECT_EQ(d().GetBackTileVariant(0, 0), 13);
  // An empty cell: -1 div 50 and mod 50, truncating.
  EXPECT_EQ(d().GetBackTileGroup(1, 1), 0);
  EXPECT_EQ(d().GetBackTileVariant(1, 1), -1);
}

TEST_F(MapDocumentTest, SetMarksOnlySetsAndLightAndAnimationAreRead) {
  d().SetMarks(5, 5, 1);
  EXPECT_EQ(d().Cell(5, 5).BackTile, 0x8000);
  EXPECT_EQ(d().Cell(5, 5).ObjectImage, 0);
  d().SetMarks(5, 5, 2);
  d().SetMarks(5, 5, 0);
  EXPECT_EQ(d().Cell(5, 5).BackTile, 0x8000);
  EXPECT_EQ(d().Cell(5, 5).ObjectImage, 0x8000);

  d().SetLight(6, 6, 4);
  d().SetCell(7, 7, TMapCell{0, 0, 0, 0x85, 2, 0x83, 9, 0, 0});
  int off = 0, door = 0, light = 0;
  ASSERT_TRUE(d().GetLightAndDoor(6, 6, off, door, light));
  EXPECT_EQ(light, 4);
  ASSERT_TRUE(d().GetLightAndDoor(7, 7, off, door, light));
  EXPECT_EQ(door, 0x85);
  EXPECT_EQ(off, 2);
  EXPECT_EQ(d().GetAniFrame(7, 7), 3);  // the alpha bit is not a frame count
}

TEST_F(MapDocumentTest, ClearMapEmptiesAllStorageAndFixesNegativeSizes) {
  d().SetCell(1010, 1010, TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9});
  d().SetCell(0, 0, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});
  d().PushUndo();
  d().SetMapSize(-5, 0);
  d().ClearMap();
  d().CloseAction();
  EXPECT_EQ(d().Cell(1010, 1010), TMapCell{});
  EXPECT_EQ(d().Cell(0, 0), TMapCell{});
  EXPECT_EQ(d().MapWidth(), 1);
  EXPECT_EQ(d().MapHeight(), 0);
  EXPECT_EQ(d().UndoCount(), 1);
  d().PopUndo();
  EXPECT_EQ(d().Cell(0, 0), (TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/BigTilePainter.h"

namespace hl {
namespace {

class BigTilePainterTest : public ::testing::Test {
 protected:
  BigTilePainter Painter(int group) { return BigTilePainter(*doc_, redraw_, random_, group); }
  // Variants of group G on the even positions of a square, row by row: "." for none, "x" for
  // a tile of another group, and "F" for any full variant 0-4.
  std::vector<std::string> Outline(int g, int x0, int y0, int n) {
    std::vector<std::string> rows;
    for (int j = 0; j < n; ++j) {
      std::string row;
      for (int i = 0; i < n; ++i) {
        const int t = doc_->GetBackTile(x0 + 2 * i, y0 + 2 * j);
        std::string cell = t < 0         ? "."
                           : t / 50 != g ? "x"
                           : t % 50 <= 4 ? "F"
                                         : std::to_string(t % 50);
        row += (i ? " " : "") + cell;
      }
      rows.push_back(row);
    }
    return rows;
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  NoRedraw redraw_;
  ToolRandom random_{1};
};

TEST_F(BigTilePainterTest, EveryPlacedVariantShowsItsGroundTowardTheBlock) {
  // The shapes the demo art draws must be where the rules put the variants.
  Painter(3).PaintBigBlock(8, 8);
  using S = BigTileShape;
  const S around[4][4] = {{S::OnlyBottomRight, S::BottomHalf, S::BottomHalf, S::OnlyBottomLeft},
                          {S::RightHalf, S::Full, S::Full, S::LeftHalf},
                          {S::RightHalf, S::Full, S::Full, S::LeftHalf},
                          {S::OnlyTopRight, S::TopHalf, S::TopHalf, S::OnlyTopLeft}};
  for (int j = 0; j < 4; ++j) {
    for (int i = 0; i < 4; ++i) {
      const int t = doc_->GetBackTile(6 + 2 * i, 6 + 2 * j);
      EXPECT_EQ(BigTilePainter::ShapeOf(t % kBigTileGroupSize), around[j][i]) << i << "," << j;
    }
  }
  // Where a second block meets the first, the tile in the angle lacks only its far corner.
  Painter(3).PaintBigBlock(12, 12);
  EXPECT_EQ(BigTilePainter::ShapeOf(doc_->GetBackTile(12, 8) % kBigTileGroupSize),
            S::AllButTopRight);
}

TEST_F(BigTilePainterTest, OneBlockGetsAClosedOutline) {
  Painter(3).PaintBigBlock(8, 8);
  EXPECT_EQ(Outline(3, 6, 6, 4),
            (std::vector<std::string>{"5 15 16 6", "20 F F 21", "22 F F 23", "7 17 18 8"}));
  for (int x = 8; x < 12; ++x) {
    for (int y = 8; y < 12; ++y) {
      const int t = doc_->GetBackTile(x, y);
      EXPECT_GE(t, 150);
      EXPECT_LE(t, 154);
    }
  }
  // The block's odd cells carry the block value too, the outline writes top-left cells only.
  EXPECT_EQ(doc_->GetBackTile(7, 6), -1);
  EXPECT_EQ(Outline(3, 4, 4, 6)[0], ". . . . . .");
}

TEST_F(BigTilePainterTest, TwoBlocksSideBySideShareOneOutline) {
  auto p = Painter(3);
  p.PaintBigBlock(8, 8);
  p.PaintBigBlock(12, 8);
  EXPECT_EQ(Outline(3, 6, 6, 6),
            (std::vector<std::string>{"5 15 16 15 16 6", "20 F F F F 21", "22 F F F F 23",
                                      "7 17 18 17 18 8", ". . . . . .", ". . . . . ."}));
}

TEST_F(BigTilePainterTest, SteppedBlocksGetInnerCorners) {
  auto p = Painter(3);
  p.PaintBigBlock(8, 8);
  p.PaintBigBlock(12, 12);
  // The inner steps are variants 11 and 12, with corners 6 and 7 beside them; the position
  // between the blocks is filled by the interior rule.
  EXPECT_EQ(Outline(3, 6, 6, 7),
            (std::vector<std::string>{"5 15 16 6 . . .", "20 F F 11 6 . .", "22 F F F 11 6 .",
                                      "7 12 F F F 21 .", ". 7 12 F F 23 .", ". . 7 17 18 8 .",
                                      ". . . . . . ."}));
}

TEST_F(BigTilePainterTest, RingRespectsPriorities) {
  // (6, 8) holds a full tile of G (priority 6): kept. (8, 6) holds corner 5 of G (priority
  // 1): overwritten by the ring. (10, 6) holds tile 99: always overwritten.
  doc_->SetBackTile(6, 8, 3 * 50 + 2 + 1);
  doc_->SetBackTile(8, 6, 3 * 50 + 5 + 1);
  doc_->SetBackTile(10, 6, 99 + 1);
  auto p = Painter(3);
  p.PaintBigBlock(8, 8);
  EXPECT_LE(doc_->GetBackTile(6, 8) % 50, 4);
  EXPECT_EQ(doc_->GetBackTile(8, 6), 3 * 50 + 15);
  EXPECT_EQ(doc_->GetBackTile(10, 6), 3 * 50 + 16);

  auto ninetyNine = Painter(1);  // tile 99 is variant 49 of group 1, and is still replaced
  doc_->SetBackTile(20, 18, 99 + 1);
  ninetyNine.PaintBigBlock(20, 20);
  EXPECT_EQ(doc_->GetBackTile(20, 18), 50 + 15);
}

TEST_F(BigTilePainterTest, SingleTilesAndAltRemovalKeepTheMark) {
  auto p = Painter(0);
  doc_->SetMarks(4, 6, 1);
  p.PlaceSingleTile(5, 7, false, 123);
  EXPECT_EQ(doc_->GetBackTileRaw(4, 6), 0x8000 | 124);
  EXPECT_EQ(doc_->GetBackTile(5, 7), -1);  // only the top-left cell
  p.PlaceSingleTile(4, 6, false, -1);      // nothing selected: nothing happens
  EXPECT_EQ(doc_->GetBackTileRaw(4, 6), 0x8000 | 124);
  p.PlaceSingleTile(5, 6, true, 7);
  EXPECT_EQ(doc_->GetBackTileRaw(4, 6), 0x8000);
}

TEST_F(BigTilePainterTest, FillStopsAtOtherGroundAndTheMapBorder) {
  doc_->SetMapSize(20, 12);
  for (int y = 0; y < 12; y += 2) doc_->SetBackTile(8, y, 2 * 50 + 1);  // a wall of group 2
  Painter(4).FillBigTiles(2, 2, -1);
  for (int x = 0; x < 20; x += 2) {
    for (int y = 0; y < 12; y += 2) {
      const int t = doc_->GetBackTile(x, y);
      if (x < 8) {
        EXPECT_EQ(t / 50, 4) << x << "," << y;
        EXPECT_LE(t % 50, 4);
      } else if (x == 8) {
        EXPECT_EQ(t, 2 * 50);
      } else {
        EXPECT_EQ(t, -1) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(doc_->GetBackTile(0, 12), -1);  // beyond the map height
  // Starting on the current group changes nothing.
  const int before = doc_->GetBackTile(2, 2);
  Painter(4).FillBigTiles(2, 2, 4);
  EXPECT_EQ(doc_->GetBackTile(2, 2), before);
}

TEST_F(BigTilePainterTest, FillOnAMapWiderThanTheAccessorsEnds) {
  doc_->SetMapSize(1011, 1011);
  Painter(0).FillBigTiles(1004, 1004, -1);  // starts where nothing can be read
  Painter(0).FillBigTiles(996, 996, -1);
  EXPECT_EQ(doc_->GetBackTile(998, 998) / 50, 0);
  EXPECT_EQ(doc_->Cell(1000, 1000).BackTile, 0);
}

}  // namespace
}  // namespace hl

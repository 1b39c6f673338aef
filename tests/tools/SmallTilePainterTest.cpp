#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/SmallTilePainter.h"

namespace hl {
namespace {

class RecordingRedraw : public RedrawSink {
 public:
  std::vector<std::pair<int, int>> Cells;
  void RedrawCells(int x, int y, int w, int h) override {
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    Cells.emplace_back(x, y);
  }
  void RedrawCellObject(int, int) override {}
};

class SmallTilePainterTest : public ::testing::Test {
 protected:
  SmallTilePainter Painter(int group) { return SmallTilePainter(*doc_, redraw_, random_, group); }
  // Pieces of a rectangle of cells, row by row ("." for none).
  std::vector<std::string> Pieces(int g, int x0, int y0, int w, int h) {
    auto p = Painter(g);
    std::vector<std::string> rows;
    for (int y = y0; y < y0 + h; ++y) {
      std::string row;
      for (int x = x0; x < x0 + w; ++x) {
        const int piece = p.Piece(x, y);
        row += (x > x0 ? " " : "") + (piece < 0 ? std::string(".") : std::to_string(piece));
      }
      rows.push_back(row);
    }
    return rows;
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  RecordingRedraw redraw_;
  ToolRandom random_{3};
};

TEST_F(SmallTilePainterTest, OnePressGivesAFullCellWithItsRing) {
  auto p = Painter(2);
  p.PaintSmallTile(10, 10);
  EXPECT_EQ(Pieces(2, 9, 9, 3, 3), (std::vector<std::string>{"8 1 2", "7 0 3", "6 5 4"}));
  EXPECT_EQ(redraw_.Cells.size(), 9u);
  const int v = doc_->GetMiddleTile(10, 10);
  EXPECT_GE(v, 120);
  EXPECT_LT(v, 128);
}

TEST_F(SmallTilePainterTest, EveryPieceShowsItsGroundTowardTheFullCells) {
  // The shapes the demo art draws must be where the rules put the pieces.
  auto p = Painter(0);
  p.PaintSmallTile(10, 10);
  using S = SmallPieceShape;
  const S ring[3][3] = {{S::BottomRight, S::Bottom, S::BottomLeft},
                        {S::Right, S::Full, S::Left},
                        {S::TopRight, S::Top, S::TopLeft}};
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      EXPECT_EQ(SmallTilePainter::ShapeOf(p.Piece(10 + dx, 10 + dy)), ring[dy + 1][dx + 1])
          << dx << "," << dy;
  p.PaintSmallTile(11, 10);
  p.PaintSmallTile(12, 11);
  EXPECT_EQ(SmallTilePainter::ShapeOf(p.Piece(12, 10)), S::AllButTopRight);
  EXPECT_EQ(SmallTilePainter::ShapeOf(p.Piece(11, 11)), S::AllButBottomLeft);
  // Every image of a group is a piece and a variant of it, and back.
  for (int image = 0; image < kSmallTileGroupSize; ++image) {
    const int piece = SmallTilePainter::PieceOfImage(image);
    const int variant = SmallTilePainter::VariantOfImage(image);
    EXPECT_EQ(piece == 0 ? variant : SmallTilePainter::kFullImages +
                                         (piece - 1) * SmallTilePainter::kImagesPerPiece + variant,
              image);
  }
}

TEST_F(SmallTilePainterTest, TwoPressesMakeOneArea) {
  auto p = Painter(0);
  p.PaintSmallTile(10, 10);
  p.PaintSmallTile(11, 10);
  EXPECT_EQ(Pieces(0, 9, 9, 4, 3), (std::vector<std::string>{"8 1 1 2", "7 0 0 3", "6 5 5 4"}));
}

TEST_F(SmallTilePainterTest, SteppedAreaGetsInnerCorners) {
  auto p = Painter(0);
  p.PaintSmallTile(10, 10);
  p.PaintSmallTile(11, 10);
  p.PaintSmallTile(12, 11);
  EXPECT_EQ(p.Piece(12, 10), 11) << ::testing::PrintToString(Pieces(0, 9, 9, 5, 4));
  EXPECT_EQ(p.Piece(11, 11), 9) << ::testing::PrintToString(Pieces(0, 9, 9, 5, 4));
}

TEST_F(SmallTilePainterTest, AnotherGroupIsOverwritten) {
  Painter(1).PaintSmallTile(10, 10);
  Painter(0).PaintSmallTile(10, 10);
  EXPECT_EQ(Pieces(0, 9, 9, 3, 3), (std::vector<std::string>{"8 1 2", "7 0 3", "6 5 4"}));
}

TEST_F(SmallTilePainterTest, EdgeOfTheMap) {
  Painter(0).PaintSmallTile(0, 5);
  EXPECT_EQ(Pieces(0, 0, 4, 2, 3), (std::vector<std::string>{"1 2", "0 3", "5 4"}));
  EXPECT_EQ(doc_->Cell(0, 4).MiddleTile != 0, true);
}

}  // namespace
}  // namespace hl

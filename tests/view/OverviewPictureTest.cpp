#include <gtest/gtest.h>

#include <memory>

#include "TempDir.h"
#include "view/OverviewPicture.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

class OverviewPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    libs_.Open(LibraryFormat::Data, dir_.Path());
    doc_.SetMapSize(60, 50);
    for (int x = 0; x < 60; x += 2)
      for (int y = 0; y < 50; y += 2) doc_.SetBackTileBlock(x, y, (x + y) % 7 + 1);
    for (int x = 0; x < 60; x += 3) doc_.SetMiddleTile(x, x % 50, 3);
    doc_.SetObject(20, 30, 2);  // the 200-pixel object: it reaches six rows up
    picture_.FitTo({400, 300});
  }
  // What a picture drawn whole from the document shows now.
  QImage Whole() {
    OverviewPicture fresh(doc_, libs_);
    fresh.FitTo(picture_.Box());
    fresh.Update();
    return fresh.Image();
  }

  test::TempDir dir_;
  LibrarySet libs_;
  MapDocument doc_;
  OverviewPicture picture_{doc_, libs_};
};

TEST_F(OverviewPictureTest, FitsTheBoxAtTheMapsProportions) {
  picture_.Update();
  // 60 x 50 cells are 2880 x 1600 pixels at zoom 1: the width decides.
  EXPECT_EQ(picture_.Image().size(), QSize(400, 222));
  picture_.FitTo({400, 100});
  picture_.Update();
  EXPECT_EQ(picture_.Image().size(), QSize(180, 100));
  EXPECT_EQ(picture_.WholeDraws(), 2);
  // A map smaller than the box is not blown up beyond zoom 1.
  doc_.SetMapSize(2, 2);
  picture_.Update();
  EXPECT_EQ(picture_.Image().size(), QSize(96, 64));
}

TEST_F(OverviewPictureTest, EditsAreDrawnAloneAndLeaveWhatAWholeDrawWould) {
  picture_.Update();
  ASSERT_EQ(picture_.WholeDraws(), 1);
  // Nothing changed, or a cell written back as it was: nothing to draw.
  EXPECT_TRUE(picture_.Update().empty());
  doc_.SetCell(5, 5, doc_.Cell(5, 5));
  EXPECT_TRUE(picture_.Update().empty());

  // A tall object removed, another placed, a tile block and a small tile: each drawn again
  // only around its cells, and the picture equals one drawn whole.
  doc_.SetObject(20, 30, 0);
  doc_.SetObject(41, 44, 2);
  doc_.SetBackTileBlock(10, 10, 5);
  doc_.SetMiddleTile(58, 48, 1);
  const std::vector<QRect> drawn = picture_.Update();
  ASSERT_FALSE(drawn.empty());
  for (const QRect& r : drawn) EXPECT_LT(r.width() * r.height(), 400 * 222 / 4) << r.x();
  EXPECT_EQ(picture_.Image(), Whole());
  EXPECT_EQ(picture_.WholeDraws(), 1);
  EXPECT_EQ(picture_.PartialDraws(), 1);

  // An undo brings the earlier cells back by sharing their columns again.
  doc_.PushUndo("edit");
  doc_.SetObject(40, 20, 1);
  doc_.CloseAction();
  picture_.Update();
  doc_.PopUndo();
  picture_.Update();
  EXPECT_EQ(picture_.Image(), Whole());
  EXPECT_EQ(picture_.WholeDraws(), 1);
}

TEST_F(OverviewPictureTest, ManyChangedColumnsOrANewSizeDrawTheWhole) {
  picture_.Update();
  for (int x = 0; x < 30; ++x) doc_.SetMiddleTile(x, 1, 2);
  picture_.Update();
  EXPECT_EQ(picture_.WholeDraws(), 2);
  EXPECT_EQ(picture_.Image(), Whole());
  doc_.SetMapSize(61, 50);
  picture_.Update();
  EXPECT_EQ(picture_.WholeDraws(), 3);
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

// At 200 x 200 cells in a small dock a row of cells is less than a pixel high: a pixel holds the
// tops of two rows, and the big tile of the second is the one drawn there. Each edit, at every
// row parity, must leave what a whole draw gives.
TEST_F(OverviewPictureTest, CellsSmallerThanAPixelAreDrawnAgainAsAWholeDrawDoes) {
  doc_.SetMapSize(200, 200);
  for (int x = 0; x < 200; x += 2)
    for (int y = 0; y < 200; y += 2) doc_.SetBackTileBlock(x, y, (x + y) % 7 + 1);
  picture_.FitTo({219, 146});
  picture_.Update();
  ASSERT_EQ(picture_.Image().size(), QSize(219, 146));
  for (int y = 20; y < 40; y += 2) {
    doc_.SetBackTileBlock(50 + y, y, 3);
    doc_.SetMiddleTile(120, y + 1, 2);
    ASSERT_FALSE(picture_.Update().empty());
    EXPECT_EQ(picture_.Image(), Whole()) << "after the edit at row " << y;
  }
  EXPECT_EQ(picture_.WholeDraws(), 1);
}

}  // namespace
}  // namespace hl

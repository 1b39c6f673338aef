#include <gtest/gtest.h>

#include <vector>

#include "ZoomSteps.h"
#include "view/HoverOutline.h"
#include "view/ViewGeometry.h"

namespace hl {
namespace {

TEST(HoverOutline, OneCellOutlineAtSmallZooms) {
  SetFootprint none;
  // Zoom 0.05: from (Trunc(24), Trunc(32)) to the corner of cell (11, 21), (Trunc(26.4),
  // Trunc(33.6)).
  EXPECT_EQ(HoverRectangles({10, 20, 1, 1, false}, ZoomScale(5), none),
            (std::vector<QRect>{QRect(24, 32, 2, 1)}));
  // Zoom 0.15: (72, 96) to (Trunc(79.2), Trunc(100.8)).
  EXPECT_EQ(HoverRectangles({10, 20, 1, 1, false}, ZoomScale(15), none),
            (std::vector<QRect>{QRect(72, 96, 7, 4)}));
}

TEST(HoverOutline, OutlinesOfNeighbouringCellsMeetAtEveryZoomStep) {
  SetFootprint none;
  for (int zoom : test::ButtonZoomSteps()) {
    const ScaleFactor scale = ZoomScale(zoom);
    for (int x = 0; x < 40; ++x) {
      const QRect cell = HoverRectangles({x, x, 1, 1, false}, scale, none).at(0);
      const QRect right = HoverRectangles({x + 1, x, 1, 1, false}, scale, none).at(0);
      const QRect below = HoverRectangles({x, x + 1, 1, 1, false}, scale, none).at(0);
      ASSERT_EQ(right.left(), cell.right() + 1) << "zoom " << zoom << " cell " << x;
      ASSERT_EQ(below.top(), cell.bottom() + 1) << "zoom " << zoom << " cell " << x;
      // Two cells either way are a big tile's span: the two outlines together.
      ASSERT_EQ(cell.united(HoverRectangles({x + 1, x + 1, 1, 1, false}, scale, none).at(0)),
                CellSpan(scale, x, x, 2, 2));
    }
  }
}

TEST(HoverOutline, FootprintOutlinesTheSetWhilePlacingSets) {
  SetFootprint footprint;
  const std::vector<FootprintCell> cells = {{0, 0, 5}, {1, 0, -1}, {-1, 2, 7}};
  footprint.SetFromSet(cells);
  EXPECT_EQ(HoverRectangles({2, 3, 1, 1, true}, ZoomScale(100), footprint),
            (std::vector<QRect>{QRect(96, 96, 48, 32), QRect(48, 160, 48, 32)}));
  // At 0.4 each entry outlines the edges of its own cell, whose size varies by a pixel:
  // (4, 3) spans 76 .. 95 x 38 .. 50, (3, 5) spans 57 .. 75 x 64 .. 75.
  EXPECT_EQ(HoverRectangles({4, 3, 1, 1, true}, ZoomScale(40), footprint),
            (std::vector<QRect>{QRect(76, 38, 20, 13), QRect(57, 64, 19, 12)}));
  // Not placing sets, or a set without objects: the single cell.
  EXPECT_EQ(HoverRectangles({2, 3, 1, 1, false}, ZoomScale(100), footprint).size(), 1u);
  footprint.SetFromSet(std::vector<FootprintCell>{{0, 0, -1}});
  EXPECT_TRUE(footprint.Empty());
  EXPECT_EQ(HoverRectangles({2, 3, 1, 1, true}, ZoomScale(100), footprint).size(), 1u);
}

TEST(HoverOutline, LargeSetsOutlineTheirFirst300Cells) {
  std::vector<FootprintCell> cells;
  for (int i = 0; i < 400; ++i) cells.push_back({i % 20, i / 20, i});
  SetFootprint footprint;
  footprint.SetFromSet(cells);
  EXPECT_EQ(HoverRectangles({0, 0, 1, 1, true}, ZoomScale(100), footprint).size(), 300u);
  EXPECT_EQ(footprint.Entries[299].Left, 299 % 20);
}

TEST(HoverOutline, BrushesOutlineTheirWholeRectangle) {
  const SetFootprint none;
  // The 21 x 21 eraser at 0.4 spans cells 5 .. 25: pixels Trunc(5 x 19.2) = 96 up to
  // Trunc(26 x 19.2) = 499, and 64 up to Trunc(26 x 12.8) = 332.
  EXPECT_EQ(HoverRectangles({5, 5, 21, 21}, ZoomScale(40), none),
            (std::vector<QRect>{QRect(QPoint(96, 64), QPoint(498, 331))}));
  EXPECT_TRUE(HoverRectangles({5, 5, 0, 0}, ZoomScale(40), none).empty());
}

TEST(HoverOutline, SecondDrawRemovesTheOutline) {
  QImage image(40, 30, QImage::Format_RGB32);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) image.setPixel(x, y, qRgb(x * 6, y * 8, 77));
  }
  const QImage before = image.copy();
  for (QRect r :
       {QRect(3, 4, 10, 7), QRect(35, 25, 10, 10), QRect(5, 5, 1, 1), QRect(0, 0, 2, 2)}) {
    XorFocusRect(image, r);
    EXPECT_NE(image, before);
    XorFocusRect(image, r);
    EXPECT_EQ(image, before);
  }
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <vector>

#include "view/HoverOutline.h"
#include "view/ViewGeometry.h"

namespace hl {
namespace {

TEST(HoverOutline, OneCellOutlineAtSmallZooms) {
  SetFootprint none;
  EXPECT_EQ(HoverRectangles(10, 20, ZoomScale(5), false, none),
            (std::vector<QRect>{QRect(24, 32, 2, 2)}));
  EXPECT_EQ(HoverRectangles(10, 20, ZoomScale(15), false, none),
            (std::vector<QRect>{QRect(72, 96, 7, 5)}));
}

TEST(HoverOutline, FootprintOutlinesTheSetWhilePlacingSets) {
  SetFootprint footprint;
  const std::vector<FootprintCell> cells = {{0, 0, 5}, {1, 0, -1}, {-1, 2, 7}};
  footprint.SetFromSet(cells);
  EXPECT_EQ(HoverRectangles(2, 3, ZoomScale(100), true, footprint),
            (std::vector<QRect>{QRect(96, 96, 48, 32), QRect(48, 160, 48, 32)}));
  // Not placing sets, or a set without objects: the single cell.
  EXPECT_EQ(HoverRectangles(2, 3, ZoomScale(100), false, footprint).size(), 1u);
  footprint.SetFromSet(std::vector<FootprintCell>{{0, 0, -1}});
  EXPECT_TRUE(footprint.Empty());
  EXPECT_EQ(HoverRectangles(2, 3, ZoomScale(100), true, footprint).size(), 1u);
}

TEST(HoverOutline, LargeSetsOutlineTheirFirst300Cells) {
  std::vector<FootprintCell> cells;
  for (int i = 0; i < 400; ++i) cells.push_back({i % 20, i / 20, i});
  SetFootprint footprint;
  footprint.SetFromSet(cells);
  EXPECT_EQ(HoverRectangles(0, 0, ZoomScale(100), true, footprint).size(), 300u);
  EXPECT_EQ(footprint.Entries[299].Left, 299 % 20);
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

#include <gtest/gtest.h>

#include "images/Drawing.h"
#include "view/ViewGeometry.h"

namespace hl {
namespace {

TEST(Zoom, SurfaceAndScrollStep) {
  EXPECT_EQ(SurfaceSize(200, 200, 40), QSize(3841, 2561));
  EXPECT_EQ(ScrollStep(40), QSize(77, 51));  // 76.8 and 51.2
  EXPECT_EQ(ScrollStep(5), QSize(10, 6));    // 9.6 and 6.4
}

TEST(Zoom, GeometryIsExactWhereDoublesAreNot) {
  EXPECT_EQ(ZoomScale(140).Position(15LL * 48), 1008);
  EXPECT_EQ(ZoomScale(5).Size(48), 2);  // Round(2.4)
  EXPECT_EQ(ZoomScale(5).Size(32), 2);  // Round(1.6)
  EXPECT_EQ(ZoomScale(15).Size(48), 7);
  EXPECT_EQ(ZoomScale(15).Size(32), 5);
}

TEST(Drawing, ScaledSizesRoundHalvesToEven) {
  const ScaleFactor half{1, 2}, eighth{1, 8};
  EXPECT_EQ(half.Size(48), 24);
  EXPECT_EQ(half.Size(32), 16);
  EXPECT_EQ(eighth.Size(48), 6);
  EXPECT_EQ(eighth.Size(32), 4);
  EXPECT_EQ(half.Size(5), 2);
  EXPECT_EQ(half.Size(3), 2);
  EXPECT_EQ(ScaleFactor(1, 4).Size(1), 0);
}

TEST(Drawing, NearestNeighbourNeverBlends) {
  QImage source(3, 2, QImage::Format_RGB32);
  const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
  for (int x = 0; x < 3; ++x) {
    source.setPixel(x, 0, colours[x]);
    source.setPixel(x, 1, colours[2 - x]);
  }
  const QImage big = ScaleNearest(source, 7, 5), small = ScaleNearest(source, 2, 1);
  for (const QImage* image : {&big, &small}) {
    for (int y = 0; y < image->height(); ++y) {
      for (int x = 0; x < image->width(); ++x) {
        const QRgb p = image->pixel(x, y);
        EXPECT_TRUE(p == colours[0] || p == colours[1] || p == colours[2]);
      }
    }
  }
  EXPECT_EQ(big.pixel(0, 0), colours[0]);
  EXPECT_EQ(big.pixel(6, 4), colours[0]);
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <QImage>
#include <random>
#include <span>
#include <vector>

#include "TempDir.h"
#include "images/PngFile.h"

namespace hl {
namespace {

// Noise over a few flat areas: something for every level to compress, and every byte value.
QImage Picture(int width, int height, QImage::Format format, unsigned seed) {
  QImage image(width, height, format);
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool flat = (x / 16 + y / 16) % 2 == 0;
      const auto noise = static_cast<QRgb>(rng());
      image.setPixel(x, y, flat ? qRgba(10, 200, 30, 255) : noise);
    }
  }
  return image;
}

QImage Decoded(const std::vector<std::uint8_t>& png) {
  return QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
}

// Through zlib a row at a time, as pictures too large to compress whole are.
std::vector<std::uint8_t> Streamed(const QImage& picture, int level) {
  std::vector<std::uint8_t> bytes;
  const bool encoded = EncodePng(
      picture, level,
      [&](std::span<const std::uint8_t> piece) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        return true;
      },
      0);
  EXPECT_TRUE(encoded);
  return bytes;
}

TEST(PngFile, EveryLevelAndSizeDecodesToThePicture) {
  const QSize sizes[] = {{1, 1}, {3, 2}, {1, 700}, {700, 1}, {401, 303}};
  for (const QSize size : sizes) {
    const QImage picture = Picture(size.width(), size.height(), QImage::Format_RGB32, 5);
    for (int level : {0, kFastPngLevel, 6, kMaxPngLevel}) {
      const auto whole = EncodePng(picture, level);
      ASSERT_TRUE(whole) << size.width() << "x" << size.height() << " level " << level;
      for (const auto& png : {*whole, Streamed(picture, level)}) {
        const QImage back = Decoded(png);
        ASSERT_FALSE(back.isNull()) << size.width() << "x" << size.height() << " level " << level;
        EXPECT_FALSE(back.hasAlphaChannel());
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture)
            << size.width() << "x" << size.height() << " level " << level;
      }
    }
  }
  // Stored, 401 x 303 RGB is more than one data chunk; the larger levels compress.
  const QImage large = Picture(401, 303, QImage::Format_RGB32, 5);
  EXPECT_GT(EncodePng(large, 0)->size(), 401u * 303 * 3);
  EXPECT_LT(EncodePng(large, kMaxPngLevel)->size(), EncodePng(large, 0)->size() * 3 / 4);
}

TEST(PngFile, AlphaIsKeptAndPremultipliedPixelsComeOutStraight) {
  QImage picture = Picture(37, 21, QImage::Format_ARGB32, 9);
  picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
  picture.setPixel(1, 0, qRgba(200, 100, 50, 128));
  const auto png = EncodePng(picture, kFastPngLevel);
  ASSERT_TRUE(png);
  const QImage back = Decoded(*png);
  ASSERT_TRUE(back.hasAlphaChannel());
  EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), picture);
  EXPECT_EQ(Decoded(Streamed(picture, kFastPngLevel)).convertToFormat(QImage::Format_ARGB32),
            picture);

  const QImage premultiplied = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage fromPremultiplied = Decoded(*EncodePng(premultiplied, kFastPngLevel));
  EXPECT_EQ(fromPremultiplied.convertToFormat(QImage::Format_ARGB32),
            premultiplied.convertToFormat(QImage::Format_ARGB32));
}

TEST(PngFile, RefusesWhatItCannotEncodeAndStopsWhenTheSinkDoes) {
  const QImage picture = Picture(300, 300, QImage::Format_RGB32, 2);
  EXPECT_FALSE(EncodePng(QImage(), kFastPngLevel));
  EXPECT_FALSE(EncodePng(picture, -1));
  EXPECT_FALSE(EncodePng(picture, kMaxPngLevel + 1));

  // Stored, the picture takes several data chunks; refusing the third piece ends it there.
  int pieces = 0;
  EXPECT_FALSE(EncodePng(picture, 0, [&](std::span<const std::uint8_t>) { return ++pieces < 3; }));
  EXPECT_EQ(pieces, 3);

  test::TempDir dir;
  const std::string path = dir.File("a.png");
  test::WriteFileBytes(path, {1, 2, 3});
  const SaveResult bad = WritePng(path, picture, 10);
  EXPECT_FALSE(bad);
  EXPECT_NE(bad.Message().find("the PNG level must be 0 to 9"), std::string::npos) << bad.Message();
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
  ASSERT_TRUE(WritePng(path, picture, 0));
  EXPECT_EQ(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32), picture);
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

TEST(PngBandWriter, PartsOfAnySizeMakeOnePicture) {
  const QImage picture = Picture(301, 97, QImage::Format_RGB32, 3);
  for (int level : {0, kFastPngLevel, kMaxPngLevel}) {
    std::vector<std::uint8_t> bytes;
    PngBandWriter png(
        [&](std::span<const std::uint8_t> piece) {
          bytes.insert(bytes.end(), piece.begin(), piece.end());
          return true;
        },
        301, 97, level);
    ASSERT_TRUE(png.Begin());
    // Bands of 40 rows, each compressed in parts of uneven sizes, one of them empty.
    for (int top = 0; top < 97; top += 40) {
      const QImage band = picture.copy(0, top, 301, std::min(40, 97 - top));
      const int h = band.height();
      for (auto [first, count] :
           {std::pair{0, h / 3}, std::pair{h / 3, 0}, std::pair{h / 3, h - h / 3}}) {
        const auto part = png.Compress(band, first, count);
        ASSERT_TRUE(part.Ok);
        ASSERT_TRUE(png.Add(part));
      }
    }
    ASSERT_TRUE(png.Finish());
    EXPECT_EQ(Decoded(bytes), picture) << "level " << level;
  }
}

TEST(PngBandWriter, RefusesPartsThatDoNotMakeThePicture) {
  const QImage band = Picture(20, 10, QImage::Format_RGB32, 4);
  auto sink = [](std::span<const std::uint8_t>) { return true; };
  PngBandWriter png(sink, 20, 15, kFastPngLevel);
  EXPECT_FALSE(png.Compress(band, 5, 6).Ok);                     // past the band
  EXPECT_FALSE(png.Compress(band.copy(0, 0, 19, 10), 0, 1).Ok);  // not as wide as the picture
  EXPECT_FALSE(png.Add(png.Compress(band, 0, 10)));              // before Begin
  PngBandWriter second(sink, 20, 15, kFastPngLevel);
  ASSERT_TRUE(second.Begin());
  ASSERT_TRUE(second.Add(second.Compress(band, 0, 10)));
  EXPECT_FALSE(second.Finish());  // five rows short
  PngBandWriter third(sink, 20, 15, kFastPngLevel);
  ASSERT_TRUE(third.Begin());
  ASSERT_TRUE(third.Add(third.Compress(band, 0, 10)));
  EXPECT_FALSE(third.Add(third.Compress(band, 0, 10)));  // 20 rows of 15
  EXPECT_FALSE(PngBandWriter(sink, 0, 5, 1).Begin());
  EXPECT_FALSE(PngBandWriter(sink, 5, 5, 10).Begin());
  // A sink that refuses ends the picture.
  PngBandWriter refused([](std::span<const std::uint8_t>) { return false; }, 20, 10, 1);
  EXPECT_FALSE(refused.Begin());
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <sstream>

#include "RunHlmap.h"
#include "TempDir.h"
#include "cli/Hlmap.h"
#include "images/TFirImages.h"
#include "images/TWilImages.h"
#include "util/LittleEndian.h"

namespace hl {
namespace {

using Result = test::HlmapResult;
using test::Hlmap;

class LibraryCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QImage a(6, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 6; ++x) a.setPixel(x, y, qRgb(x * 40, y * 80, 200));
    }
    a.setPixel(0, 0, qRgb(0, 0, 0));
    QImage b(5, 2, QImage::Format_ARGB32);
    b.fill(qRgba(255, 255, 255, 0));  // fully transparent
    b.setPixel(4, 1, qRgb(255, 0, 0));
    ASSERT_TRUE(a.save(QString::fromStdString(dir_.File("a.png"))));
    ASSERT_TRUE(b.save(QString::fromStdString(dir_.File("b.png"))));
    second_ = dir_.File("b.png");
    // Any format Qt reads will do; BMP has no transparency.
    ASSERT_TRUE(a.save(QString::fromStdString(dir_.File("a.bmp")), "BMP"));
  }
  Result Pack(std::vector<std::string> options) {
    std::vector<std::string> args = {"lib-pack", dir_.File("Lib.x")};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(dir_.File("a.bmp"));
    args.push_back(second_);
    return Hlmap(args);
  }
  test::TempDir dir_;
  std::string second_;
};

TEST_F(LibraryCommandsTest, PackThenDescribeEveryKindOfLibrary) {
  Result r = Pack({"--data", "--method", "3"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "packed 2 images into " + dir_.File("Lib.Data") + "\n");
  r = Hlmap({"lib-info", dir_.File("Lib.Data")});
  EXPECT_EQ(
      r.Out,
      "{\"format\":\"data\",\"images\":2,\"bitcount\":16,\"compression\":3,\"positions\":2}\n");

  ASSERT_EQ(Pack({"--wil", "--depth", "24"}).Code, 0);
  r = Hlmap({"lib-info", dir_.File("Lib.x"), "--format", "wil"});
  EXPECT_EQ(
      r.Out,
      "{\"format\":\"wil\",\"images\":2,\"bitcount\":24,\"layout\":\"newer\",\"positions\":2}\n");
  ASSERT_EQ(Pack({"--wil", "--older"}).Code, 0);
  std::filesystem::rename(dir_.File("Lib.x"), dir_.File("Lib.WIL"));
  r = Hlmap({"lib-info", dir_.File("Lib.WIL")});
  EXPECT_EQ(
      r.Out,
      "{\"format\":\"wil\",\"images\":2,\"bitcount\":8,\"layout\":\"older\",\"positions\":2}\n");
}

TEST_F(LibraryCommandsTest, InfoFailsClearly) {
  Result r = Hlmap({"lib-info", dir_.File("Missing.wil")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err, "hlmap: cannot open library '" + dir_.File("Missing.wil") + "'\n");
  r = Hlmap({"lib-info", dir_.File("a.png")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("--format"), std::string::npos);
}

TEST_F(LibraryCommandsTest, RawExportOfEachForm) {
  ASSERT_EQ(Pack({"--wil", "--depth", "32"}).Code, 0);
  const std::string lib = dir_.File("Lib.x");
  ASSERT_EQ(Hlmap({"lib-export", lib, "0", dir_.File("a.raw"), "--raw", "--format", "wil"}).Code,
            0);
  auto raw = test::ReadFileBytes(dir_.File("a.raw"));
  ASSERT_EQ(raw.size(), 12u + 6 * 3 * 3);
  EXPECT_EQ(LoadLE<std::int32_t>(raw.data()), 6);
  EXPECT_EQ(LoadLE<std::int32_t>(raw.data() + 4), 3);
  EXPECT_EQ(LoadLE<std::int32_t>(raw.data() + 8), 32);
  // Pixel (5, 2): blue, green, red.
  const std::uint8_t* p = raw.data() + 12 + (2 * 6 + 5) * 3;
  EXPECT_EQ(p[0], 200);
  EXPECT_EQ(p[1], 160);
  EXPECT_EQ(p[2], 200);

  ASSERT_EQ(
      Hlmap({"lib-export", lib, "1", dir_.File("t.raw"), "--raw", "--texture", "--format=wil"})
          .Code,
      0);
  raw = test::ReadFileBytes(dir_.File("t.raw"));
  ASSERT_EQ(raw.size(), 12u + 5 * 2 * 2);
  EXPECT_EQ(LoadLE<std::int32_t>(raw.data() + 8), 16);
  EXPECT_EQ(LoadLE<std::uint16_t>(raw.data() + 12), 0);               // transparent became black
  EXPECT_EQ(LoadLE<std::uint16_t>(raw.data() + 12 + 2 * 9), 0xF800);  // red
}

TEST_F(LibraryCommandsTest, PaletteImagesExportAtTheirPaddedWidth) {
  ASSERT_EQ(Pack({"--wil", "--depth", "8"}).Code, 0);
  ASSERT_EQ(
      Hlmap({"lib-export", dir_.File("Lib.x"), "1", dir_.File("e.png"), "--format", "wil"}).Code,
      0);
  QImage png(QString::fromStdString(dir_.File("e.png")));
  EXPECT_EQ(png.width(), 8);
  EXPECT_EQ(png.height(), 2);
  EXPECT_EQ(png.pixel(4, 1), qRgb(255, 0, 0));
  EXPECT_EQ(png.pixel(0, 0), qRgb(0, 0, 0));
}

TEST_F(LibraryCommandsTest, PngExportShowsTheBitmapForm) {
  ASSERT_EQ(Pack({"--data"}).Code, 0);
  ASSERT_EQ(Hlmap({"lib-export", dir_.File("Lib.Data"), "0", dir_.File("out.png")}).Code, 0);
  QImage png(QString::fromStdString(dir_.File("out.png")));
  ASSERT_EQ(png.size(), QSize(6, 3));
  // 5-6-5 keeps the top bits of each channel.
  EXPECT_EQ(qRed(png.pixel(5, 2)) & 0xF8, 200 & 0xF8);
  EXPECT_EQ(qGreen(png.pixel(5, 2)) & 0xFC, 160 & 0xFC);

  // Any level gives the same picture; raw pixels have no PNG level to choose.
  ASSERT_EQ(
      Hlmap({"lib-export", dir_.File("Lib.Data"), "0", dir_.File("stored.png"), "--png-level", "0"})
          .Code,
      0);
  EXPECT_EQ(QImage(QString::fromStdString(dir_.File("stored.png"))), png);
  const Result raw = Hlmap({"lib-export", dir_.File("Lib.Data"), "0", dir_.File("out.raw"), "--raw",
                            "--png-level", "9"});
  EXPECT_EQ(raw.Code, 2);
  EXPECT_EQ(raw.Err.rfind("hlmap: --png-level is for PNG output, not --raw\n", 0), 0u) << raw.Err;
}

TEST_F(LibraryCommandsTest, NoImageIsAFailure) {
  ASSERT_EQ(Pack({"--data", "--method", "2"}).Code, 0);
  for (const char* index : {"2", "-1", "99999"}) {
    const Result r = Hlmap({"lib-export", dir_.File("Lib.Data"), index, dir_.File("x.png")});
    EXPECT_EQ(r.Code, 1) << index;
    EXPECT_EQ(r.Err, "hlmap: no image\n");
  }
  EXPECT_FALSE(test::FileExists(dir_.File("x.png")));
  EXPECT_EQ(Hlmap({"lib-export", dir_.File("Lib.Data"), "zero", dir_.File("x.png")}).Code, 2);
}

TEST_F(LibraryCommandsTest, PackRefusesContradictionsAndUnreadablePictures) {
  EXPECT_EQ(Pack({}).Code, 2);
  EXPECT_EQ(Pack({"--wil", "--data"}).Code, 2);
  EXPECT_EQ(Pack({"--wil", "--method", "1"}).Code, 2);
  EXPECT_EQ(Pack({"--data", "--depth", "8"}).Code, 2);
  EXPECT_EQ(Pack({"--data", "--method", "4"}).Code, 2);
  test::WriteFileBytes(dir_.File("junk.png"), {1, 2, 3});
  const Result r = Hlmap({"lib-pack", dir_.File("L.Data"), "--data", dir_.File("junk.png")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err, "hlmap: cannot read image '" + dir_.File("junk.png") + "'\n");
}

}  // namespace
}  // namespace hl

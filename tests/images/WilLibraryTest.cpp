#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <memory>

#include "LibraryTestSupport.h"
#include "TempDir.h"
#include "images/LibraryWriter.h"
#include "images/TWilImages.h"
#include "images/codec/LibraryCount.h"
#include "util/LittleEndian.h"

namespace hl {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

WilPalette TestPalette() {
  WilPalette p{};
  for (int i = 1; i < 256; ++i) {
    p[4 * i] = static_cast<std::uint8_t>(i);
    p[4 * i + 1] = static_cast<std::uint8_t>(255 - i);
    p[4 * i + 2] = static_cast<std::uint8_t>(i * 3);
  }
  return p;
}

class WilLibraryTest : public ::testing::Test {
 protected:
  std::string Write(int bits, bool older, const std::vector<LibraryImage>& images,
                    const std::string& name = "Lib.wil") {
    const std::string path = dir_.File(name);
    const SaveResult written = WriteWilLibrary(path, {bits, older, palette_}, images);
    EXPECT_TRUE(written) << written.Message();
    return path;
  }
  std::unique_ptr<TWilImages> Open(const std::string& path) {
    auto lib = std::make_unique<TWilImages>(clock_.Function());
    lib->FileName = path;
    lib->Open();
    return lib;
  }
  static void Patch(const std::string& path, std::size_t at,
                    std::initializer_list<std::uint8_t> bytes) {
    test::PatchFile(path, at, bytes);
  }
  test::TempDir dir_;
  test::ManualClock clock_;
  WilPalette palette_ = TestPalette();
};

TEST_F(WilLibraryTest, EveryDepthAndLayoutReadsBackAsWritten) {
  for (int bits : {8, 16, 24, 32}) {
    for (bool older : {false, true}) {
      SCOPED_TRACE(std::to_string(bits) + (older ? " older" : " newer"));
      const std::vector<LibraryImage> images = {test::PatternImage(5, 3, bits, 1),
                                                test::PatternImage(8, 8, bits, 2),
                                                test::PatternImage(47, 2, bits, 3)};
      auto lib = Open(Write(bits, older, images));
      ASSERT_TRUE(lib->Initialized);
      EXPECT_EQ(lib->BitCount, bits);
      EXPECT_EQ(lib->OlderLayout, older || bits == 16);
      EXPECT_EQ(lib->ImageCount, 3);
      EXPECT_EQ(lib->PositionCount(), 3);
      const int bytes = bits / 8;
      for (int i = 0; i < 3; ++i) {
        const LibraryImage& want = images[static_cast<std::size_t>(i)];
        int px = 0, py = 0;
        const QImage* bitmap = lib->GetBitmapWithOffset(i, px, py);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(px, want.PX);
        EXPECT_EQ(py, want.PY);
        EXPECT_EQ(bitmap->width(), bits == 8 ? TWilImages::RowBytes8(want.Width) : want.Width);
        EXPECT_EQ(bitmap->height(), want.Height);
        const TTexture* texture = lib->GetTexture(i);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->Width, bitmap->width());
        for (int y = 0; y < want.Height; ++y) {
          for (int x = 0; x < want.Width; ++x) {
            const std::uint8_t* p = want.Pixels.data() + (y * want.Width + x) * bytes;
            std::uint16_t as565 = 0;
            switch (bits) {
              case 8: {
                const std::uint8_t* e = palette_.data() + 4 * p[0];
                EXPECT_EQ(test::Pixel565(*bitmap, x, y), To565(e[2], e[1], e[0]));
                as565 = static_cast<std::uint16_t>(std::max(e[2] & 0xF8, 8) << 8 |
                                                   std::max(e[1] & 0xFC, 8) << 3 |
                                                   std::max(e[0] & 0xF8, 8) >> 3);
                break;
              }
              case 16:
                as565 = LoadLE<std::uint16_t>(p);
                EXPECT_EQ(test::Pixel565(*bitmap, x, y), as565);
                break;
              default: {
                const std::uint8_t* q = bitmap->constScanLine(y) + x * bytes;
                EXPECT_EQ(std::memcmp(q, p, 3), 0);
                if (bits == 32) {
                  EXPECT_EQ(q[3], 0xFF);
                }
                as565 = To565(p[2], p[1], p[0]);
              }
            }
            ASSERT_EQ(texture->Pixel(x, y), as565) << x << "," << y;
          }
        }
      }
    }
  }
}

TEST_F(WilLibraryTest, PaletteImagesKeepTheirPaddingColumns) {
  const std::string path = Write(8, false, {test::PatternImage(47, 2, 8, 1)});
  // The padding byte of the bottom row (stored first) names palette entry 5.
  const std::size_t pixels = 60 + 1024 + 12;
  Patch(path, pixels + 47, {5});
  auto lib = Open(path);
  const QImage* bitmap = lib->GetBitmap(0);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->width(), 48);
  const std::uint8_t* e = palette_.data() + 20;
  EXPECT_EQ(test::Pixel565(*bitmap, 47, 1), To565(e[2], e[1], e[0]));
  EXPECT_EQ(test::Pixel565(*bitmap, 47, 0), 0);  // padding of the top row: entry 0, black
}

TEST_F(WilLibraryTest, TransparencyComesOnlyFromAllZeroPaletteEntries) {
  palette_[4 * 3 + 0] = palette_[4 * 3 + 1] = palette_[4 * 3 + 2] = 0;
  palette_[4 * 3 + 3] = 1;                   // (0, 0, 0, 1): opaque black
  std::fill_n(palette_.begin() + 16, 4, 0);  // entry 4 all zero
  LibraryImage image{4, 1, 0, 0, {0, 3, 4, 9}};
  auto lib = Open(Write(8, true, {image}));
  const TTexture* t = lib->GetTexture(0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Pixel(0, 0), 0);
  EXPECT_EQ(t->Pixel(1, 0), 0x0841);
  EXPECT_EQ(t->Pixel(2, 0), 0);
  EXPECT_NE(t->Pixel(3, 0), 0);
  const QImage* b = lib->GetBitmap(0);
  EXPECT_EQ(test::Pixel565(*b, 1, 0), 0);  // drawn, it is black like entry 0
}

TEST_F(WilLibraryTest, LayoutTest) {
  // A colour count of 65536 means the older layout whatever the layout field says.
  const auto image16 = test::PatternImage(6, 4, 16, 1);
  const std::string path16 = Write(16, true, {image16}, "Sixteen.wil");
  Patch(path16, 56, {1, 2, 3, 4});
  auto lib16 = Open(path16);
  EXPECT_TRUE(lib16->OlderLayout);
  ASSERT_NE(lib16->GetBitmap(0), nullptr);
  EXPECT_EQ(test::Pixel565(*lib16->GetBitmap(0), 5, 3),
            LoadLE<std::uint16_t>(image16.Pixels.data() + 46));

  // An older 8-bit file whose first palette entry is not zero is taken for the newer layout.
  const std::string path8 = Write(8, true, {test::PatternImage(4, 4, 8, 1)}, "Eight.wil");
  Patch(path8, 56, {9, 0, 0, 0});
  auto lib8 = Open(path8);
  EXPECT_FALSE(lib8->OlderLayout);
  EXPECT_EQ(lib8->Palette[0], ReadFileBytes(path8)[60]);
}

TEST_F(WilLibraryTest, WriterKeepsFilesReadable) {
  palette_[0] = 1;
  const SaveResult palette = WriteWilLibrary(dir_.File("a.wil"), {8, true, palette_}, {});
  EXPECT_FALSE(palette);
  EXPECT_NE(palette.Message().find("palette entry 0"), std::string::npos);
  EXPECT_FALSE(WriteWilLibrary(dir_.File("a.wil"), {12, false, {}}, {}));
  LibraryImage wrong{3, 3, 0, 0, std::vector<std::uint8_t>(5)};
  EXPECT_FALSE(WriteWilLibrary(dir_.File("a.wil"), {8, false, {}}, {&wrong, 1}));
  EXPECT_FALSE(test::FileExists(dir_.File("a.wil")));
}

TEST_F(WilLibraryTest, IndexNameFollowsTheLibraryName) {
  EXPECT_EQ(TWilImages::IndexFileName("Tiles.wil"), "Tiles.WIX");
  EXPECT_EQ(TWilImages::IndexFileName("data/Objects2.wil"), "data/Objects2.WIX");
  EXPECT_EQ(TWilImages::IndexFileName("C:\\game\\a.wil.wil"), "C:\\game\\a.WIX");
  EXPECT_EQ(TWilImages::IndexFileName("NoExt"), "NoExt.WIX");
}

TEST_F(WilLibraryTest, FilesAreFoundInAnyLetterCase) {
  const std::string path = Write(16, true, {test::PatternImage(2, 2, 16, 1)});
  std::filesystem::rename(path, dir_.File("LIB.WIL"));
  std::filesystem::rename(dir_.File("Lib.WIX"), dir_.File("lib.wix"));
  auto lib = Open(dir_.File("Lib.wil"));
  ASSERT_TRUE(lib->Initialized);
  EXPECT_NE(lib->GetBitmap(0), nullptr);
}

TEST_F(WilLibraryTest, MissingOrShortIndexLimitsThePositions) {
  const std::string path =
      Write(16, true, {test::PatternImage(2, 2, 16, 1), test::PatternImage(2, 2, 16, 2)});
  auto wix = ReadFileBytes(dir_.File("Lib.WIX"));
  wix.resize(48 + 6);  // one whole position and half of the next
  WriteFileBytes(dir_.File("Lib.WIX"), wix);
  auto lib = Open(path);
  EXPECT_EQ(lib->ImageCount, 2);
  EXPECT_EQ(lib->PositionCount(), 1);
  EXPECT_NE(lib->GetBitmap(0), nullptr);
  EXPECT_EQ(lib->GetBitmap(1), nullptr);

  std::filesystem::remove(dir_.File("Lib.WIX"));
  auto noIndex = Open(path);
  EXPECT_TRUE(noIndex->Initialized);
  EXPECT_EQ(noIndex->ImageCount, 2);
  EXPECT_EQ(noIndex->GetBitmap(0), nullptr);
}

TEST_F(WilLibraryTest, CountsAreBoundedByWhatTheFilesHold) {
  const std::string path = Write(8, false, {test::PatternImage(4, 4, 8, 1)});
  Patch(path, 44, {0xFF, 0xFF, 0xFF, 0x7F});
  Patch(dir_.File("Lib.WIX"), 44, {0xFF, 0xFF, 0xFF, 0x7F});
  auto lib = Open(path);
  ASSERT_TRUE(lib->Initialized);
  EXPECT_LE(lib->ImageCount, 4);  // 28 bytes of records hold at most 3 headers of 8 bytes
  EXPECT_EQ(lib->PositionCount(), 1);
  Patch(path, 44, {0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(Open(path)->ImageCount, 0);
}

TEST_F(WilLibraryTest, DamagedRecordsGiveNoImage) {
  const std::string path = Write(16, true,
                                 {test::PatternImage(4, 4, 16, 1), test::PatternImage(4, 4, 16, 2),
                                  test::PatternImage(4, 4, 16, 3)});
  const std::size_t first = 56 + 1024;
  const std::size_t record = 8 + 4 * 4 * 2;
  // Both sizes negative: a positive product, still no image.
  Patch(path, first, {0xFD, 0xFF, 0xFC, 0xFF});
  // Positions before the file and past its end.
  Patch(dir_.File("Lib.WIX"), 48 + 4, {0xFB, 0xFF, 0xFF, 0xFF});
  // The last record loses its last pixel.
  auto bytes = ReadFileBytes(path);
  bytes.resize(first + 3 * record - 1);
  WriteFileBytes(path, bytes);
  auto lib = Open(path);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(lib->GetBitmap(i), nullptr) << i;
  EXPECT_TRUE(lib->LoadedList.empty());

  Patch(dir_.File("Lib.WIX"), 48 + 4, {0x00, 0x00, 0x01, 0x00});
  EXPECT_EQ(Open(path)->GetBitmap(1), nullptr);
}

TEST_F(WilLibraryTest, OversizedImagesAreRefusedBeforeAllocating) {
  const std::string path = Write(32, false, {test::PatternImage(2, 2, 32, 1)});
  Patch(path, 60 + 1024, {0x01, 0x10, 0x01, 0x10});  // 4097 x 4097
  auto lib = Open(path);
  EXPECT_EQ(lib->GetBitmap(0), nullptr);
}

TEST_F(WilLibraryTest, TooShortFilesDoNotOpen) {
  WriteFileBytes(dir_.File("Short.wil"), std::vector<std::uint8_t>(40, 0));
  EXPECT_FALSE(Open(dir_.File("Short.wil"))->Initialized);
  auto noPalette = std::vector<std::uint8_t>(60 + 500, 0);
  noPalette[56] = 1;
  WriteFileBytes(dir_.File("NoPalette.wil"), noPalette);
  EXPECT_FALSE(Open(dir_.File("NoPalette.wil"))->Initialized);
  EXPECT_FALSE(Open(dir_.File("Missing.wil"))->Initialized);
}

// hlmap check counts images without opening the library; it must see what the editor sees.
TEST_F(WilLibraryTest, TheQtFreeCountIsTheLibrarysOwn) {
  auto same = [&](const std::string& path) {
    auto lib = Open(path);
    const std::optional<int> counted = LibraryImageCount(path, LibraryFormat::Wil);
    EXPECT_EQ(counted.has_value(), lib->Initialized) << path;
    if (counted && lib->Initialized) {
      EXPECT_EQ(*counted, lib->ImageCount) << path;
    }
  };
  const std::string path =
      Write(8, false, {test::PatternImage(4, 4, 8, 1), test::PatternImage(3, 2, 8, 2)});
  same(path);
  same(Write(16, true, {test::PatternImage(4, 4, 16, 1)}, "Old.wil"));
  Patch(path, 44, {0xFF, 0xFF, 0xFF, 0x7F});
  same(path);
  Patch(path, 44, {0xFF, 0xFF, 0xFF, 0xFF});
  same(path);
  auto noPalette = std::vector<std::uint8_t>(60 + 500, 0);
  noPalette[56] = 1;
  WriteFileBytes(dir_.File("NoPalette.wil"), noPalette);
  same(dir_.File("NoPalette.wil"));
  same(dir_.File("Missing.wil"));
}

}  // namespace
}  // namespace hl

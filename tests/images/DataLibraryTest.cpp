#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "LibraryTestSupport.h"
#include "TempDir.h"
#include "images/LibraryWriter.h"
#include "images/TFirImages.h"
#include "images/codec/LibraryCount.h"
#include "util/LittleEndian.h"

namespace hl {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class DataLibraryTest : public ::testing::Test {
 protected:
  std::string Write(int method, const std::vector<LibraryImage>& images) {
    const SaveResult written = WriteDataLibrary(dir_.File("Lib.Data"), method, images);
    EXPECT_TRUE(written) << written.Message();
    return dir_.File("Lib.Data");
  }
  std::unique_ptr<TFirImages> Open(const std::string& path) {
    auto lib = std::make_unique<TFirImages>(clock_.Function());
    lib->FileName = path;
    lib->Open();
    return lib;
  }
  static void Patch(const std::string& path, std::size_t at,
                    std::initializer_list<std::uint8_t> bytes) {
    test::PatchFile(path, at, bytes);
  }
  std::int32_t PositionOf(const std::string& path, int index) {
    return LoadLE<std::int32_t>(ReadFileBytes(path).data() + 60 + 4 * index);
  }
  static void ExpectSamePixels(const LibraryImage& want, const QImage* bitmap,
                               const TTexture* texture) {
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(bitmap->width(), want.Width);
    ASSERT_EQ(bitmap->height(), want.Height);
    for (int y = 0; y < want.Height; ++y) {
      for (int x = 0; x < want.Width; ++x) {
        const auto v = LoadLE<std::uint16_t>(want.Pixels.data() + 2 * (y * want.Width + x));
        ASSERT_EQ(test::Pixel565(*bitmap, x, y), v) << x << "," << y;
        ASSERT_EQ(texture->Pixel(x, y), v) << x << "," << y;
      }
    }
  }
  test::TempDir dir_;
  test::ManualClock clock_;
};

TEST_F(DataLibraryTest, EveryMethodReadsBackAsWritten) {
  // Odd widths too: compressed rows are unpadded and must not shear.
  const std::vector<LibraryImage> images = {
      test::PatternImage(96, 64, 16, 1), test::PatternImage(5, 3, 16, 2),
      test::PatternImage(2, 2, 16, 3),   test::PatternImage(1, 5, 16, 4),
      test::PatternImage(3, 1, 16, 5),   test::PatternImage(47, 33, 16, 6)};
  for (int method : {0, 1, 2, 3}) {
    SCOPED_TRACE(method);
    auto lib = Open(Write(method, images));
    ASSERT_TRUE(lib->Initialized);
    EXPECT_EQ(lib->CompressionMethod, method);
    EXPECT_EQ(lib->BitCount, 16);
    ASSERT_EQ(lib->ImageCount, 6);
    for (int i = 0; i < 6; ++i) {
      int px = 0, py = 0;
      const QImage* bitmap = lib->GetBitmapWithOffset(i, px, py);
      EXPECT_EQ(px, images[static_cast<std::size_t>(i)].PX);
      EXPECT_EQ(py, images[static_cast<std::size_t>(i)].PY);
      ExpectSamePixels(images[static_cast<std::size_t>(i)], bitmap, lib->GetTexture(i));
    }
  }
}

TEST_F(DataLibraryTest, TinyImagesAreStoredRawInCompressedLibraries) {
  const std::string path =
      Write(2, {test::PatternImage(2, 2, 16, 1), test::PatternImage(1, 5, 16, 2)});
  const auto bytes = ReadFileBytes(path);
  // 2 x 2: raw padded rows, 8 bytes; 1 x 5: a zlib stream (0x78 first).
  EXPECT_EQ(LoadLE<std::int32_t>(bytes.data() + PositionOf(path, 0) + 8), 8);
  EXPECT_EQ(bytes[static_cast<std::size_t>(PositionOf(path, 1)) + 12], 0x78);
}

TEST_F(DataLibraryTest, MethodFourImagesDecode) {
  // A 96 x 104 picture compressed by an independent LHA archiver.
  auto read = [](const char* name) {
    std::ifstream in(std::string(HL_FIXTURE_DIR) + "/lh5/" + name, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  };
  const auto pixels = read("tiles565.bin");
  const auto stream = read("tiles565.lh5");
  ASSERT_EQ(pixels.size(), 96u * 104 * 2);
  std::vector<std::uint8_t> file(60 + 4 + 12 + 4, 0);
  StoreLE<std::int32_t>(file.data() + 48, 1);
  StoreLE<std::uint16_t>(file.data() + 58, 4);
  StoreLE<std::int32_t>(file.data() + 60, 64);
  StoreLE<std::int16_t>(file.data() + 64, 96);
  StoreLE<std::int16_t>(file.data() + 66, 104);
  StoreLE<std::int32_t>(file.data() + 72, static_cast<std::int32_t>(4 + stream.size()));
  StoreLE<std::int32_t>(file.data() + 76, static_cast<std::int32_t>(pixels.size()));
  file.insert(file.end(), stream.begin(), stream.end());
  WriteFileBytes(dir_.File("Lzh.Data"), file);

  auto lib = Open(dir_.File("Lzh.Data"));
  ASSERT_TRUE(lib->Initialized);
  LibraryImage want{96, 104, 0, 0, pixels};
  ExpectSamePixels(want, lib->GetBitmap(0), lib->GetTexture(0));
}

TEST_F(DataLibraryTest, IndexOffsetZeroMeansRightAfterTheHeader) {
  const auto image = test::PatternImage(4, 4, 16, 1);
  const std::string path = Write(0, {image});
  Patch(path, 52, {0, 0, 0, 0});
  ExpectSamePixels(image, Open(path)->GetBitmap(0), Open(path)->GetTexture(0));

  // An index elsewhere is found where the header says.
  auto bytes = ReadFileBytes(path);
  const auto at = static_cast<std::int32_t>(bytes.size());
  bytes.insert(bytes.end(), bytes.begin() + 60, bytes.begin() + 64);
  std::fill_n(bytes.begin() + 60, 4, 0xEE);
  StoreLE<std::int32_t>(bytes.data() + 52, at);
  WriteFileBytes(path, bytes);
  EXPECT_NE(Open(path)->GetBitmap(0), nullptr);
}

TEST_F(DataLibraryTest, OpenNamesTheDataFileAndFindsItInAnyCase) {
  Write(0, {test::PatternImage(4, 4, 16, 1)});
  std::filesystem::rename(dir_.File("Lib.Data"), dir_.File("LIB.DATA"));
  auto lib = Open(dir_.File("Lib.wil"));
  EXPECT_EQ(lib->FileName, dir_.File("Lib.Data"));
  EXPECT_TRUE(lib->Initialized);
  auto missing = Open(dir_.File("Nothing"));
  EXPECT_EQ(missing->FileName, dir_.File("Nothing.Data"));
  EXPECT_FALSE(missing->Initialized);
  EXPECT_EQ(missing->ImageCount, 0);
}

TEST_F(DataLibraryTest, UnknownMethodsGiveNoImage) {
  const std::string path =
      Write(0, {test::PatternImage(4, 4, 16, 1), test::PatternImage(2, 2, 16, 2)});
  Patch(path, 58, {7, 0});
  auto lib = Open(path);
  EXPECT_EQ(lib->GetBitmap(0), nullptr);
  EXPECT_EQ(lib->GetBitmap(1), nullptr);
  EXPECT_EQ(lib->GetTexture(1), nullptr);
}

TEST_F(DataLibraryTest, RawDataLongerThanItsSurfaceReadsOnlyWhatFits) {
  auto image = test::PatternImage(3, 2, 16, 1);  // padded rows of 8 bytes: 16 bytes
  const std::string raw = Write(0, {image});
  auto bytes = ReadFileBytes(raw);
  StoreLE<std::int32_t>(bytes.data() + PositionOf(raw, 0) + 8, 40);
  bytes.resize(bytes.size() + 24, 0xFF);
  WriteFileBytes(raw, bytes);
  ExpectSamePixels(image, Open(raw)->GetBitmap(0), Open(raw)->GetTexture(0));

  // A tiny image of a compressed library passes through a 2 x 2 x 2-byte buffer.
  auto tiny = test::PatternImage(2, 2, 16, 2);
  const std::string packed = Write(3, {tiny});
  bytes = ReadFileBytes(packed);
  StoreLE<std::int32_t>(bytes.data() + PositionOf(packed, 0) + 8, 20);
  bytes.resize(bytes.size() + 12, 0xFF);
  WriteFileBytes(packed, bytes);
  ExpectSamePixels(tiny, Open(packed)->GetBitmap(0), Open(packed)->GetTexture(0));
}

TEST_F(DataLibraryTest, DamagedRecordsGiveNoImage) {
  const std::string path =
      Write(3, {test::PatternImage(8, 8, 16, 1), test::PatternImage(8, 8, 16, 2),
                test::PatternImage(8, 8, 16, 3), test::PatternImage(8, 8, 16, 4)});
  Patch(path, static_cast<std::size_t>(PositionOf(path, 0)) + 8,
        {0xFF, 0xFF, 0xFF, 0xFF});                                           // L < 0
  Patch(path, static_cast<std::size_t>(PositionOf(path, 1)), {0x00, 0x00});  // width 0
  Patch(path, 60 + 8, {0x00, 0x00, 0x00, 0x40});  // position far past the end
  auto bytes = ReadFileBytes(path);
  bytes.resize(bytes.size() - 1);  // the last record loses a byte
  WriteFileBytes(path, bytes);
  auto lib = Open(path);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(lib->GetBitmap(i), nullptr) << i;
  EXPECT_TRUE(lib->LoadedList.empty());
}

TEST_F(DataLibraryTest, CountsAreBoundedAndShortIndexesKeepWholePositions) {
  const std::string path = Write(0, {test::PatternImage(2, 2, 16, 1)});
  Patch(path, 48, {0xFF, 0xFF, 0xFF, 0x7F});
  auto lib = Open(path);
  EXPECT_LE(static_cast<std::size_t>(lib->ImageCount), ReadFileBytes(path).size() / 4);
  EXPECT_NE(lib->GetBitmap(0), nullptr);
  Patch(path, 48, {0x80, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(Open(path)->ImageCount, 0);
  WriteFileBytes(path, std::vector<std::uint8_t>(59, 0));
  EXPECT_FALSE(Open(path)->Initialized);
}

TEST_F(DataLibraryTest, WriterRefusesWhatCannotBeReadBack) {
  const auto narrow = test::PatternImage(1, 3, 16, 1);
  const SaveResult compressed = WriteDataLibrary(dir_.File("a.Data"), 2, {&narrow, 1});
  EXPECT_FALSE(compressed);
  EXPECT_NE(compressed.Message().find("1 x 3"), std::string::npos);
  EXPECT_TRUE(WriteDataLibrary(dir_.File("a.Data"), 0, {&narrow, 1}));
  EXPECT_FALSE(WriteDataLibrary(dir_.File("a.Data"), 4, {}));
}

// hlmap check counts images without opening the library; it must see what the editor sees.
TEST_F(DataLibraryTest, TheQtFreeCountIsTheLibrarysOwn) {
  auto same = [&](const std::string& path) {
    auto lib = Open(path);
    const std::optional<int> counted = LibraryImageCount(path, LibraryFormat::Data);
    EXPECT_EQ(counted.has_value(), lib->Initialized);
    if (counted && lib->Initialized) {
      EXPECT_EQ(*counted, lib->ImageCount);
    }
  };
  const std::string path =
      Write(2, {test::PatternImage(4, 4, 16, 1), test::PatternImage(2, 3, 16, 2)});
  same(path);
  Patch(path, 48, {0xFF, 0xFF, 0xFF, 0x7F});  // more images than the index can hold
  same(path);
  Patch(path, 52, {0xFF, 0xFF, 0xFF, 0x7F});  // an index past the end
  same(path);
  Patch(path, 52, {0, 0, 0, 0});  // 0: right after the header
  same(path);
  same(dir_.File("Nothing.Data"));
}

}  // namespace
}  // namespace hl

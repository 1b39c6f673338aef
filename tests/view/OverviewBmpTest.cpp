#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "TempDir.h"
#include "TestLibraries.h"
#include "images/BmpFile.h"
#include "images/LibraryWriter.h"
#include "view/OverviewBmp.h"

namespace hl {
namespace {

// The overview written band by band against the whole picture written at once, which is how
// it was written before: the bytes must not differ.
class OverviewBmpTest : public ::testing::Test {
 protected:
  // Tiles of the libraries' own sizes, and of other sizes that reach further: a big tile and a
  // small tile that hang several rows below their cells at one eighth, and objects up to 25
  // pixels high that stand several rows above theirs.
  void SetUp() override {
    using test::Solid;
    const std::vector<LibraryImage> tiles = {Solid(96, 64, 0x8001), Solid(96, 64, 0x8420),
                                             Solid(90, 60, 0x8003), Solid(96, 400, 0x8804)};
    const std::vector<LibraryImage> small = {Solid(48, 32, 0x0410), Solid(40, 24, 0x0411),
                                             Solid(48, 160, 0x0412)};
    const std::vector<LibraryImage> objects = {Solid(48, 80, 0xF801), Solid(48, 200, 0xF802),
                                               Solid(48, 1, 0xF803), Solid(150, 30, 0xF804)};
    ASSERT_TRUE(WriteDataLibrary(dir_.File("Tiles.Data"), 0, tiles));
    ASSERT_TRUE(WriteDataLibrary(dir_.File("SmTiles.Data"), 0, small));
    ASSERT_TRUE(WriteDataLibrary(dir_.File("Objects.Data"), 0, objects));
    libs_.Open(LibraryFormat::Data, dir_.Path());
  }
  void FillRandomly(int width, int height, unsigned seed) {
    doc_->SetMapSize(width, height);
    std::mt19937 rng(seed);
    for (int x = 0; x < std::min(width, kStorageSide); ++x) {
      for (int y = 0; y < std::min(height, kStorageSide); ++y) {
        const auto r = static_cast<unsigned>(rng());
        TMapCell c{};
        if (r % 3) c.BackTile = static_cast<std::uint16_t>(r % 4 + 1);
        if (r % 4 == 0) c.MiddleTile = static_cast<std::uint16_t>(rng() % 3 + 1);
        if (r % 5 == 0) c.ObjectImage = static_cast<std::uint16_t>(rng() % 4 + 1);
        doc_->SetCell(x, y, c);
      }
    }
  }
  std::vector<std::uint8_t> Whole() {
    MapRenderer r(*doc_, libs_);
    const SaveResult written = WriteBmp24(dir_.File("whole.bmp"), r.RenderOverview());
    EXPECT_TRUE(written) << written.Message();
    return test::ReadFileBytes(dir_.File("whole.bmp"));
  }
  std::vector<std::uint8_t> Banded(int bandRows) {
    MapRenderer r(*doc_, libs_);
    const SaveResult written = WriteOverviewBmp(r, dir_.File("banded.bmp"), bandRows);
    EXPECT_TRUE(written) << written.Message();
    return test::ReadFileBytes(dir_.File("banded.bmp"));
  }
  test::TempDir dir_;
  LibrarySet libs_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
};

TEST_F(OverviewBmpTest, BandsWriteTheWholePictureByteForByte) {
  // Odd widths need row padding (6 x 3 bytes a cell); 1011 columns reach past the cells drawn.
  const QSize sizes[] = {{1, 1}, {1, 9}, {7, 1}, {13, 9}, {20, 130}, {1011, 3}};
  unsigned seed = 1;
  for (const QSize size : sizes) {
    FillRandomly(size.width(), size.height(), seed++);
    const auto whole = Whole();
    ASSERT_EQ(whole.size(), 54u + (18u * size.width() + 3) / 4 * 4 * 4 * size.height());
    for (int bandRows : {1, 3, 7, kOverviewBandRows, 100000}) {
      EXPECT_EQ(Banded(bandRows), whole)
          << size.width() << " x " << size.height() << " in bands of " << bandRows;
    }
  }
}

TEST_F(OverviewBmpTest, AMapWithoutColumnsOrRowsIsRefusedAsBefore) {
  for (const QSize size : {QSize(0, 5), QSize(5, 0), QSize(-2, 3)}) {
    doc_->SetMapSize(size.width(), size.height());
    MapRenderer r(*doc_, libs_);
    const SaveResult whole = WriteBmp24(dir_.File("a.bmp"), r.RenderOverview());
    const SaveResult banded = WriteOverviewBmp(r, dir_.File("a.bmp"));
    EXPECT_FALSE(banded);
    EXPECT_EQ(banded.Message(), whole.Message());
    EXPECT_NE(banded.Message().find("there is no picture to write"), std::string::npos);
    EXPECT_FALSE(test::FileExists(dir_.File("a.bmp")));
  }
}

TEST_F(OverviewBmpTest, TheRenderersZoomAndImagesComeThroughUnchanged) {
  FillRandomly(30, 30, 7);
  MapRenderer r(*doc_, libs_);
  r.SetZoom(50);
  QImage before(400, 300, QImage::Format_RGB32);
  r.PaintMap(before, {}, before.rect(), {});
  ASSERT_TRUE(WriteOverviewBmp(r, dir_.File("a.bmp"), 5));
  EXPECT_EQ(r.Zoom(), 50);
  QImage after(400, 300, QImage::Format_RGB32);
  r.PaintMap(after, {}, after.rect(), {});
  EXPECT_EQ(after, before);
}

TEST(Bmp24Writer, RefusesBandsThatDoNotFitAndFilesShortOfRows) {
  test::TempDir dir;
  const std::string path = dir.File("a.bmp");
  test::WriteFileBytes(path, {7, 7, 7});
  QImage band(5, 2, QImage::Format_RGB32);
  band.fill(Qt::red);
  {
    Bmp24Writer bmp;
    ASSERT_TRUE(bmp.Open(path, 5, 3));
    EXPECT_TRUE(bmp.AppendBottomUp(band));
    const SaveResult shortOfRows = bmp.Commit();
    EXPECT_FALSE(shortOfRows);
    EXPECT_NE(shortOfRows.Message().find("the picture is not complete"), std::string::npos);
  }
  for (const QImage& wrong : {QImage(4, 1, QImage::Format_RGB32), band}) {
    Bmp24Writer bmp;
    ASSERT_TRUE(bmp.Open(path, 5, 1));
    EXPECT_FALSE(bmp.AppendBottomUp(wrong));  // too narrow, or more rows than are left
    EXPECT_FALSE(bmp.Commit());
  }
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<std::uint8_t>{7, 7, 7}));
}

}  // namespace
}  // namespace hl

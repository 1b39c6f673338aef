#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>

#include "TempDir.h"
#include "images/LibraryWriter.h"
#include "segments/WorldFiles.h"
#include "view/TestLibraries.h"
#include "view/TestWorld.h"
#include "view/WorldRender.h"

namespace hl {
namespace {

// However the work is shared out (workers, strips of a band, pieces of a strip), the picture
// is the same: every pixel is drawn by one piece from every cell that reaches it.
TEST(WorldRender, WorkersAndStripsGiveOnePicture) {
  test::TempDir dir;
  test::WriteTestWorld(dir.Path(), 3, 2, 5);
  std::string error;
  const auto project = OpenWorld(dir.File("T.mp"), &error);
  ASSERT_TRUE(project) << error;
  const SegmentFiles files(*project);
  WorldRenderJob job;
  job.Segments = QRect(0, 0, 3, 2);
  job.LibraryFolder = dir.Path();
  for (int scale : {1, 3, 16}) {
    job.Scale = scale;
    job.Workers = 1;
    job.StripBytes = std::size_t{64} << 20;
    std::vector<int> progress;
    job.Progress = [&](int done, int total) {
      EXPECT_EQ(total, 2);
      progress.push_back(done);
    };
    ASSERT_TRUE(WriteWorldPng(files, job, dir.File("one.png")));
    EXPECT_EQ(progress, (std::vector<int>{1, 2}));
    job.Progress = nullptr;
    job.Workers = 3;
    // Strips of 7 pixel rows, or 1 at 1/1: neither divides a segment row.
    job.StripBytes = static_cast<std::size_t>(GeometryOf(job).Width()) * 4 * 7;
    ASSERT_TRUE(WriteWorldPng(files, job, dir.File("many.png")));
    const QImage one(QString::fromStdString(dir.File("one.png")));
    const QImage many(QString::fromStdString(dir.File("many.png")));
    ASSERT_EQ(one.size(), QSize(3 * 1920 / scale, 2 * 1280 / scale));
    EXPECT_TRUE(one == many) << "1/" << scale;
  }
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

// Each worker's libraries are the files the first set found, and none it did not find.
TEST(WorldRender, WorkersOpenTheLibrariesTheFirstSetFound) {
  test::TempDir dir;
  test::WriteTestLibraries(dir.Path());
  ASSERT_EQ(::rename(dir.File("Tiles.Data").c_str(), dir.File("TILES.DATA").c_str()), 0);
  LibrarySet first;
  first.Open(LibraryFormat::Data, dir.Path());
  // A library that comes later is not looked for again.
  const std::vector<LibraryImage> one = {test::Solid(4, 4, 0x1234)};
  ASSERT_TRUE(WriteDataLibrary(dir.File("Objects3.Data"), 0, one));
  LibrarySet like(std::size_t{1} << 20);
  like.OpenLike(first);
  EXPECT_EQ(like.Format(), LibraryFormat::Data);
  EXPECT_EQ(like.Folder(), dir.Path());
  EXPECT_TRUE(like.Tiles().Initialized);
  EXPECT_EQ(like.Tiles().ImageCount, first.Tiles().ImageCount);
  EXPECT_EQ(like.ObjectSlotLibrary(0).ImageCount, first.ObjectSlotLibrary(0).ImageCount);
  EXPECT_FALSE(like.ObjectSlotLibrary(2).Initialized);
  EXPECT_EQ(like.Memory().Budget(), std::size_t{1} << 20);
  ASSERT_NE(like.Tiles().GetBitmap(3), nullptr);
  EXPECT_EQ(like.Tiles().GetBitmap(3)->pixel(0, 0), test::Drawn(test::TileColour(3)));
}

}  // namespace
}  // namespace hl

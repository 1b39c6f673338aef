#include <gtest/gtest.h>

#include <QImage>

#include "TempDir.h"
#include "segments/WorldFiles.h"
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

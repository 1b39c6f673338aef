#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "TempDir.h"
#include "segments/SegmentProject.h"
#include "view/TestWorld.h"
#include "view/ThumbnailBuilder.h"
#include "view/WorldRender.h"

namespace hl {
namespace {

class ThumbnailBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world_ = test::WriteTestWorld(dir_.Path(), 3, 3, 21);
    std::string error;
    auto project = OpenWorld(dir_.File("T.mp"), &error);
    ASSERT_TRUE(project) << error;
    project_ = *project;
  }

  // Every picture a builder delivers, by segment, once it has nothing left to do.
  struct Run {
    std::map<std::pair<int, int>, ThumbnailBuilder::Picture> Pictures;
    long Built = 0, Read = 0;
  };
  Run Build(const std::vector<QPoint>& wanted, int level, bool fill = false,
            std::string cache = {}) {
    Run run;
    std::mutex m;
    ThumbnailBuilder::Settings settings{project_,    LibraryFormat::Data,
                                        dir_.Path(), cache.empty() ? dir_.File("cache") : cache,
                                        2,           fill};
    ThumbnailBuilder builder(settings, [&](std::vector<ThumbnailBuilder::Picture> pictures) {
      std::lock_guard lock(m);
      for (auto& p : pictures) run.Pictures[{p.Col, p.Row}] = std::move(p);
    });
    builder.Want(wanted, level);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!builder.Idle() && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(builder.Idle());
    if (fill) {
      EXPECT_EQ(builder.FilledCount(), builder.WorldCount());
    }
    run.Built = builder.BuiltCount();
    run.Read = builder.ReadCount();
    return run;
  }
  static std::vector<QPoint> All() {
    std::vector<QPoint> all;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) all.push_back({c, r});
    return all;
  }
  // The world at 1/16, as world-render draws it.
  QImage WorldPicture() {
    WorldRenderJob job;
    job.Segments = QRect(0, 0, 3, 3);
    job.LibraryFolder = dir_.Path();
    const SegmentFiles files(project_);
    EXPECT_TRUE(WriteWorldPng(files, job, dir_.File("world.png")));
    return QImage(QString::fromStdString(dir_.File("world.png")))
        .convertToFormat(QImage::Format_RGB32);
  }
  // A new middle tile, and a tall object near the top that reaches into the segments above.
  void Resave(int col, int row) {
    world_->SetMiddleTile(col * 40 + 20, row * 40 + 20, 3);
    world_->SetObject(col * 40 + 21, row * 40 + 2, ObjectIndex::Make(1, test::kTallObject) + 1);
    ASSERT_TRUE(
        SaveSegment(*world_, dir_.File(SegmentName("T", col, row) + ".sem"), col * 40, row * 40));
  }

  test::TempDir dir_;
  std::unique_ptr<MapDocument> world_;
  WorldProject project_;
};

TEST_F(ThumbnailBuilderTest, ThumbnailsAreTheWorldPictureCutIntoSegments) {
  const Run run = Build(All(), 0);
  EXPECT_EQ(run.Built, 9);
  ASSERT_EQ(run.Pictures.size(), 9u);
  const QImage world = WorldPicture();
  for (const auto& [at, picture] : run.Pictures) {
    EXPECT_TRUE(picture.Built);
    ASSERT_EQ(picture.Image.size(), QSize(120, 80));
    EXPECT_TRUE(picture.Image == world.copy(at.first * 120, at.second * 80, 120, 80))
        << at.first << "," << at.second;
  }
  // Smaller levels are the same pictures, smaller.
  const Run small = Build({{1, 1}}, 2);
  EXPECT_EQ(small.Pictures.at({1, 1}).Image.size(), QSize(30, 20));
  EXPECT_EQ(small.Built, 0);
}

TEST_F(ThumbnailBuilderTest, ASecondOpeningReadsThemBackUntilTheirFilesChange) {
  const Run first = Build(All(), 0);
  ASSERT_EQ(first.Built, 9);
  const Run second = Build(All(), 0);
  EXPECT_EQ(second.Built, 0);
  EXPECT_EQ(second.Read, 9);
  for (const auto& [at, picture] : second.Pictures) {
    EXPECT_FALSE(picture.Built);
    EXPECT_TRUE(picture.Image == first.Pictures.at(at).Image);
  }

  // Saved again: a new file (inode and time) of the same size.
  const struct stat before = [&] {
    struct stat st {};
    ::stat(dir_.File("T101101.sem").c_str(), &st);
    return st;
  }();
  Resave(1, 1);
  struct stat after {};
  ASSERT_EQ(::stat(dir_.File("T101101.sem").c_str(), &after), 0);
  EXPECT_EQ(after.st_size, before.st_size);
  const Run third = Build(All(), 0);
  EXPECT_TRUE(third.Pictures.at({1, 1}).Built);
  EXPECT_TRUE(third.Pictures.at({1, 0}).Built);  // the object reaches up into it
  // Images reach up and right, never left: the first column does not depend on the second.
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(third.Pictures.at({0, r}).Built) << r;
  const QImage world = WorldPicture();
  for (const auto& [at, picture] : third.Pictures)
    EXPECT_TRUE(picture.Image == world.copy(at.first * 120, at.second * 80, 120, 80));

  // Cut short: another size.
  ASSERT_EQ(::truncate(dir_.File("T100100.sem").c_str(), 52 + 480 * 3), 0);
  const Run fourth = Build({{0, 0}, {2, 2}}, 0);
  EXPECT_TRUE(fourth.Pictures.at({0, 0}).Built);
  EXPECT_FALSE(fourth.Pictures.at({2, 2}).Built);
}

TEST_F(ThumbnailBuilderTest, AMissingSegmentHasNoPictureUntilItsFileComes) {
  ASSERT_EQ(::unlink(dir_.File("T102102.sem").c_str()), 0);
  const Run run = Build(All(), 1);
  EXPECT_TRUE(run.Pictures.at({2, 2}).Image.isNull());
  EXPECT_EQ(run.Pictures.at({2, 1}).Image.size(), QSize(60, 40));
  EXPECT_EQ(run.Built, 8);
  Resave(2, 2);
  const Run back = Build({{2, 2}}, 1);
  EXPECT_FALSE(back.Pictures.at({2, 2}).Image.isNull());
  EXPECT_TRUE(back.Pictures.at({2, 2}).Built);
}

TEST_F(ThumbnailBuilderTest, TheWholeWorldIsMadeInTheBackground) {
  const Run filled = Build({}, 0, true);
  EXPECT_TRUE(filled.Pictures.empty());  // nothing was asked for
  EXPECT_EQ(filled.Built, 9);
  const Run opened = Build(All(), 0);
  EXPECT_EQ(opened.Built, 0);
  EXPECT_EQ(opened.Read, 9);
}

TEST_F(ThumbnailBuilderTest, WithoutAPrivateCacheThumbnailsAreStillMade) {
  const std::string cache = dir_.File("shared");
  ASSERT_EQ(::mkdir(cache.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(cache.c_str(), 0777), 0);
  const Run run = Build(All(), 0, false, cache);
  EXPECT_EQ(run.Built, 9);
  EXPECT_EQ(run.Pictures.size(), 9u);
  EXPECT_EQ(test::ListDirectory(cache).size(), 0u);
}

}  // namespace
}  // namespace hl

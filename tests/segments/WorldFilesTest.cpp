#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "segments/SegmentFixture.h"
#include "segments/WorldFiles.h"
#include "util/WorkerPool.h"

namespace hl {
namespace {

using test::Marker;
using test::SegmentTest;

class WorldFilesTest : public SegmentTest {
 protected:
  WorldProject Project(int cols, int rows) {
    return WorldProject{dir_.Path() + "/", "A", cols, rows};
  }
};

TEST_F(WorldFilesTest, OpensAProjectAsTheSegmentWindowDoes) {
  ASSERT_TRUE(WriteProject(dir_.File("w.mp"), {" A ", 4, 2}));
  std::string error;
  const auto world = OpenWorld(dir_.File("w.mp"), &error);
  ASSERT_TRUE(world) << error;
  EXPECT_EQ(*world, (WorldProject{dir_.Path() + "/", "A", 4, 2}));

  ASSERT_TRUE(WriteProject(dir_.File("empty.mp"), {"A", 0, 5}));
  EXPECT_FALSE(OpenWorld(dir_.File("empty.mp"), &error));
  EXPECT_NE(error.find("no world"), std::string::npos) << error;
  EXPECT_FALSE(OpenWorld(dir_.File("none.mp"), &error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

TEST_F(WorldFilesTest, FindsSegmentsInAnyLetterCaseAndRefusesLinks) {
  WriteSegment(0, 0);
  WriteSegment(1, 0);
  ASSERT_EQ(::rename(dir_.File("A100101.sem").c_str(), dir_.File("a100101.SEM").c_str()), 0);
  ASSERT_EQ(::symlink(dir_.File("A100100.sem").c_str(), dir_.File("A101100.sem").c_str()), 0);
  ASSERT_EQ(::mkdir(dir_.File("A101101.sem").c_str(), 0700), 0);
  SegmentFiles files(Project(3, 2));

  const SegmentLook exact = files.Look(0, 0);
  EXPECT_EQ(exact.State, SegmentState::Present);
  EXPECT_EQ(exact.Stamp.Size, kSegmentFileSize);
  EXPECT_EQ(files.Look(1, 0).State, SegmentState::Present);
  EXPECT_EQ(files.Look(1, 0).Path, dir_.File("a100101.SEM"));
  EXPECT_EQ(files.Look(0, 1).State, SegmentState::Refused);
  EXPECT_EQ(files.Look(1, 1).State, SegmentState::Refused);
  EXPECT_EQ(files.Look(2, 0).State, SegmentState::Missing);

  SegmentBlock block;
  ASSERT_TRUE(ReadSegmentBlock(files.Look(1, 0), block));
  EXPECT_EQ(block[7 * kSegmentSide + 9], Marker(10, 7, 9));
  // A link is never read through, and says so.
  const LoadResult linked = ReadSegmentBlock(files.Look(0, 1), block);
  EXPECT_FALSE(linked);
  EXPECT_EQ(block[0], TMapCell{});

  // A file that arrives later is found once the listing is made again.
  WriteSegment(2, 0);
  ASSERT_EQ(::rename(dir_.File("A100102.sem").c_str(), dir_.File("A100102.Sem").c_str()), 0);
  EXPECT_EQ(files.Look(2, 0).State, SegmentState::Missing);
  files.Rescan();
  EXPECT_EQ(files.Look(2, 0).State, SegmentState::Present);
}

TEST_F(WorldFilesTest, AStampChangesWithEverySave) {
  WriteSegment(0, 0);
  SegmentFiles files(Project(1, 1));
  const FileStamp before = files.Look(0, 0).Stamp;
  WriteSegment(0, 0);  // same size, same content, within the same second
  const FileStamp after = files.Look(0, 0).Stamp;
  EXPECT_NE(before, after);
  EXPECT_EQ(before.Size, after.Size);
}

TEST_F(WorldFilesTest, RowsFollowTheBandAndCopyCellsAcrossSegments) {
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 4; ++r)
      if (!(c == 1 && r == 1)) WriteSegment(c, r);
  // A short file: its first two columns and the third's first five cells.
  ASSERT_EQ(::truncate(dir_.File("A102102.sem").c_str(), 52 + 2 * 480 + 5 * 12 + 7), 0);
  SegmentFiles files(Project(3, 4));
  SegmentRows rows(files, 1, 2);
  WorkerPool pool(2);
  std::vector<std::string> problems;
  auto problem = [&](int, int, const std::string& m) { problems.push_back(m); };

  rows.Hold(0, 1, pool, problem);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(rows.At(0, 0), nullptr);  // outside the columns held
  ASSERT_NE(rows.At(1, 0), nullptr);
  EXPECT_EQ(rows.At(1, 1), nullptr);  // missing
  EXPECT_EQ(rows.At(2, 2), nullptr);  // not held yet
  rows.Hold(1, 3, pool, problem);
  EXPECT_EQ(rows.At(1, 0), nullptr);  // dropped
  ASSERT_NE(rows.At(2, 3), nullptr);

  auto doc = std::make_unique<MapDocument>();
  // Cells 78 .. 81 (segments 1 and 2) of rows 58 .. 122 (segment rows 1 to 3).
  rows.CopyCells(78, 58, 4, 65, *doc);
  EXPECT_EQ(doc->Cell(0, 0), TMapCell{});             // segment (1, 1) is missing
  EXPECT_EQ(doc->Cell(2, 0), Marker(21, 0, 18));      // (80, 58) in segment (2, 1)
  EXPECT_EQ(doc->Cell(3, 22), Marker(22, 1, 0));      // (81, 80): segment (2, 2)
  EXPECT_EQ(doc->Cell(4, 22), TMapCell{});            // not copied
  EXPECT_EQ(doc->Cell(2, 22 + 4), Marker(22, 0, 4));  // the short file's first columns
  EXPECT_EQ(doc->Cell(1, 64), Marker(13, 39, 2));     // (79, 122) in segment (1, 3)
  rows.CopyCells(80, 80, 3, 10, *doc);
  EXPECT_EQ(doc->Cell(2, 4), Marker(22, 2, 4));  // its third column was cut after 5 cells...
  EXPECT_EQ(doc->Cell(2, 5), TMapCell{});        // ...and the rest of it is empty
}

}  // namespace
}  // namespace hl

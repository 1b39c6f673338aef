#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "TempDir.h"
#include "map/MapFile.h"
#include "segments/SegmentFixture.h"
#include "segments/SegmentProject.h"
#include "util/FileLock.h"
#include "util/WriteFault.h"

namespace hl {
namespace {

using test::Marker;
using test::SegmentTest;

TEST(SegmentNames, RowFirstAndWiderPastRow899) {
  EXPECT_EQ(SegmentName("A", 2, 0), "A100102");
  EXPECT_EQ(SegmentName("A", 0, 1), "A101100");
  EXPECT_EQ(SegmentName("Sea", 900, 1000), "Sea11001000");
  SegmentWindow w;
  w.PickWindow("A", 2, 5, 0, 3);  // two columns, rows 3 and 4 only
  EXPECT_EQ(w.SegmentNames[1][0], "A103101");
  EXPECT_EQ(w.SegmentNames[0][1], "A104100");
  EXPECT_EQ(w.SegmentNames[2][0], "");
  EXPECT_EQ(w.SegmentNames[0][2], "");
}

TEST_F(SegmentTest, ProjectFileRoundTripAndItsLimits) {
  const std::string file = dir_.File("world.mp");
  ASSERT_TRUE(WriteProject(file, {"Island", 12, 7}));
  const auto bytes = test::ReadFileBytes(file);
  ASSERT_EQ(bytes.size(), kProjectFileSize);
  EXPECT_EQ(bytes[0], 6);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 7), "Island");
  EXPECT_EQ(bytes[16], 12);
  EXPECT_EQ(bytes[20], 7);
  SegmentProject read;
  ASSERT_EQ(ReadProject(file, read, &error_), ProjectRead::Read);
  EXPECT_EQ(read.Ident, "Island");
  EXPECT_EQ(read.Cols, 12);
  EXPECT_EQ(read.Rows, 7);

  ASSERT_TRUE(WriteProject(file, {"A234567890ABCDE", 12, 7}));
  test::PatchFile(file, 0, {200});  // a length past the field reads as 15
  ASSERT_EQ(ReadProject(file, read, &error_), ProjectRead::Read);
  EXPECT_EQ(read.Ident.size(), 15u);
  test::PatchFile(file, 16, {0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_EQ(ReadProject(file, read, &error_), ProjectRead::Refused);
  EXPECT_NE(error_.find("2147483647"), std::string::npos);
  EXPECT_EQ(read.Cols, 12);  // a refused file changes nothing
  test::PatchFile(file, 16, {0, 0, 0, 0x80});  // a negative count only empties the grid
  ASSERT_EQ(ReadProject(file, read, &error_), ProjectRead::Read);
  EXPECT_LT(read.Cols, 0);
  test::WriteFileBytes(dir_.File("short.mp"), {1, 'A', 0, 0});
  EXPECT_EQ(ReadProject(dir_.File("short.mp"), read, &error_), ProjectRead::Refused);
  EXPECT_EQ(ReadProject(dir_.File("none.mp"), read, &error_), ProjectRead::Missing);
  EXPECT_FALSE(WriteProject(dir_.File("no/dir.mp"), {}));

  // What ReadProject would refuse, or an ident the file cannot hold, is not written.
  const std::string refused = dir_.File("refused.mp");
  for (const SegmentProject& project :
       {SegmentProject{"A234567890ABCDEF", 3, 3}, SegmentProject{"\xC3\xA4", 3, 3},
        SegmentProject{"A", 3, kMaxSegmentCount + 1},
        SegmentProject{"A", kMaxSegmentCount + 1, 2}}) {
    const SaveResult written = WriteProject(refused, project);
    EXPECT_FALSE(written) << project.Ident;
    EXPECT_EQ(written.Message(), "cannot write '" + refused + "': " + ProjectProblem(project));
    EXPECT_NE(ProjectProblem(project), "");
  }
  EXPECT_FALSE(test::FileExists(refused));
  EXPECT_EQ(ProjectProblem({"A234567890ABCDE", kMaxSegmentCount, 0}), "");  // 0: an empty grid

  EXPECT_EQ(IdentProblem("A234567890ABCDE"), "");
  EXPECT_NE(IdentProblem("A234567890ABCDEF"), "");
  EXPECT_NE(IdentProblem("\xC3\xA4"), "");
  EXPECT_EQ(CountProblem(kMaxSegmentCount, 1), "");
  EXPECT_NE(CountProblem(kMaxSegmentCount + 1, 1), "");
  EXPECT_NE(CountProblem(0, 3), "");
}

TEST_F(SegmentTest, NineFilesMakeOneWindowAndGoBack) {
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) WriteSegment(c, r);
  EXPECT_EQ(test::ReadFileBytes(dir_.File("A101102.sem")).size(), kSegmentFileSize);
  doc_->PushUndo();
  const SegmentWindow w = Window(3, 3, 0, 0);
  ASSERT_TRUE(w.LoadSegments(*doc_));
  EXPECT_EQ(doc_->MapWidth(), 120);
  EXPECT_EQ(doc_->MapHeight(), 120);
  EXPECT_EQ(doc_->UndoCount(), 0);  // no state of another window comes back with Ctrl+Z
  EXPECT_EQ(doc_->Cell(0, 0), Marker(0, 0, 0));
  EXPECT_EQ(doc_->Cell(87, 45), Marker(21, 7, 5));  // segment column 2, row 1
  EXPECT_EQ(doc_->Cell(119, 119), Marker(22, 39, 39));

  doc_->SetCell(41, 2, Marker(99, 0, 0));
  TMapCell lib7 = Marker(0, 0, 0);
  lib7.ObjectLib = 7;
  doc_->SetCell(42, 2, lib7);
  ASSERT_TRUE(w.SaveSegments(*doc_));
  auto again = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*again, dir_.File("A100101.sem")));  // a segment is also a map
  EXPECT_EQ(again->MapWidth(), 40);
  EXPECT_EQ(again->Cell(1, 2), Marker(99, 0, 0));
  EXPECT_EQ(again->Cell(2, 2).ObjectLib, 7);  // no library move, unlike SaveMap
}

TEST_F(SegmentTest, MissingNarrowWideAndShortSegments) {
  WriteSegment(0, 0);
  WriteSegment(1, 0);
  WriteSegment(0, 1);
  const std::string wide = dir_.File("A100101.sem");
  test::PatchFile(wide, 0, {60, 0});  // claims 60 columns
  auto bytes = test::ReadFileBytes(wide);
  bytes.resize(52 + 60 * 480, 0xAB);
  test::WriteFileBytes(wide, bytes);
  test::PatchFile(dir_.File("A100100.sem"), 0, {0, 0});  // no columns
  const std::string shortFile = dir_.File("A101100.sem");
  bytes = test::ReadFileBytes(shortFile);
  bytes.resize(52 + 480 + 18);  // one column and one and a half records
  test::WriteFileBytes(shortFile, bytes);

  const SegmentWindow w = Window(2, 2, 0, 0);
  ASSERT_TRUE(w.LoadSegments(*doc_));
  EXPECT_EQ(doc_->Cell(5, 5), TMapCell{});
  EXPECT_EQ(doc_->Cell(79, 39), Marker(10, 39, 39));
  EXPECT_EQ(doc_->Cell(80, 0), TMapCell{});  // the wide file wrote nothing past its block
  EXPECT_EQ(doc_->Cell(0, 40), Marker(1, 0, 0));
  EXPECT_EQ(doc_->Cell(1, 40), Marker(1, 1, 0));
  EXPECT_EQ(doc_->Cell(1, 41), TMapCell{});  // the record cut in two is not half read
  EXPECT_EQ(doc_->Cell(0, 41), Marker(1, 0, 1));  // its first column is whole

  // Two columns: the third window column is never written.
  ASSERT_TRUE(w.SaveSegments(*doc_));
  EXPECT_EQ(test::ListDirectory(dir_.Path()).size(), 5u);       // four segments and the lock
  EXPECT_EQ(test::ReadFileBytes(wide).size(), 52u + 60 * 480);  // overwritten, not shortened
}

TEST_F(SegmentTest, AWindowIsSavedWholeOrNotAtAll) {
  SegmentWindow broken = Window(3, 3, 0, 0);
  broken.SegmentNames[1][1] = "no/such/dir";
  const SaveResult refused = broken.SaveSegments(*doc_);
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.Message().find("no/such/dir"), std::string::npos);
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{kProjectLockName})
      << "no segment saved without the others";

  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) WriteSegment(c, r);
  const SegmentWindow w = Window(3, 3, 0, 0);
  std::vector<std::vector<std::uint8_t>> old;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) old.push_back(test::ReadFileBytes(w.SegmentPath(i, j)));
  ASSERT_TRUE(w.LoadSegments(*doc_));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) doc_->SetCell(40 * i + 20, 40 * j + 20, Marker(77, i, j));

  // Failing while writing any of the nine, or when replacing any of them, keeps all nine old.
  std::vector<WriteFault> faults;
  for (std::uint64_t k = 0; k < 9; ++k) faults.push_back({WriteFault::At::Rename, k});
  for (std::uint64_t k = 0; k < 9; ++k) faults.push_back({WriteFault::At::Close, k});
  for (std::uint64_t file = 0; file < 9; ++file)
    faults.push_back({WriteFault::At::Byte, file * kSegmentFileSize + 1000});
  for (const WriteFault& fault : faults) {
    PlantWriteFault(fault);
    const SaveResult saved = w.SaveSegments(*doc_);
    PlantWriteFault({});
    EXPECT_FALSE(saved);
    std::size_t n = 0;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        ASSERT_EQ(test::ReadFileBytes(w.SegmentPath(i, j)), old[n++])
            << int(fault.Where) << " " << fault.Count << " segment " << i << "," << j;
    EXPECT_EQ(test::ListDirectory(dir_.Path()).size(), 10u);  // nine and the lock
  }
  ASSERT_TRUE(w.SaveSegments(*doc_));
  auto again = std::make_unique<MapDocument>();
  ASSERT_TRUE(w.LoadSegments(*again));
  EXPECT_EQ(again->Cell(100, 60), Marker(77, 2, 1));
}

// A project file as another program could have written it: any bytes in the ident.
std::vector<std::uint8_t> ProjectBytes(const std::string& ident, int cols, int rows) {
  std::vector<std::uint8_t> bytes(kProjectFileSize, 0);
  bytes[0] = static_cast<std::uint8_t>(ident.size());
  std::copy(ident.begin(), ident.end(), bytes.begin() + 1);
  bytes[16] = static_cast<std::uint8_t>(cols);
  bytes[20] = static_cast<std::uint8_t>(rows);
  return bytes;
}

TEST_F(SegmentTest, IdentsThatNameOtherFoldersAreRefusedByEveryReader) {
  for (const std::string ident : {"../../x", "a/b", "..\\x", "C:x"}) {
    EXPECT_NE(IdentProblem(ident), "") << ident;
    test::WriteFileBytes(dir_.File("w.mp"), ProjectBytes(ident, 3, 3));
    SegmentProject read{"Kept", 1, 1};
    ASSERT_EQ(ReadProject(dir_.File("w.mp"), read, &error_), ProjectRead::Refused) << ident;
    EXPECT_EQ(error_, "'" + dir_.File("w.mp") + "' is refused: " + IdentProblem(ident));
    EXPECT_EQ(read.Ident, "Kept");
    EXPECT_FALSE(WriteProject(dir_.File("new.mp"), {ident, 3, 3}));
  }
  EXPECT_FALSE(test::FileExists(dir_.File("new.mp")));
  EXPECT_EQ(IdentProblem(".."), "") << "dots alone stay in the folder: '..100100.sem'";
}

TEST_F(SegmentTest, SegmentFilesAreNotReadOrWrittenThroughLinks) {
  // Elsewhere: a file of the user that a link in the project folder points to.
  test::TempDir elsewhere;
  WriteSegment(0, 0);
  const std::string victim = elsewhere.File("precious.map");
  test::WriteFileBytes(victim, test::ReadFileBytes(dir_.File("A100100.sem")));
  const auto victimBytes = test::ReadFileBytes(victim);
  ASSERT_EQ(::symlink(victim.c_str(), dir_.File("A101100.sem").c_str()), 0);

  SegmentWindow w = Window(3, 3, 0, 0);
  doc_->SetMapSize(7, 7);
  const LoadResult refused = w.LoadSegments(*doc_);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.Message(), "cannot open '" + dir_.File("A101100.sem") +
                                   "': it is a link, and segment files are only read in the "
                                   "project's folder");
  EXPECT_EQ(doc_->MapWidth(), 7) << "a refused window leaves the map alone";

  // A link planted after the window was loaded is replaced on saving, not followed.
  ::unlink(dir_.File("A101100.sem").c_str());
  ASSERT_TRUE(w.LoadSegments(*doc_));
  ASSERT_EQ(::symlink(victim.c_str(), dir_.File("A101100.sem").c_str()), 0);
  ASSERT_EQ(::symlink(victim.c_str(), dir_.File("A102102.sem").c_str()), 0);
  doc_->SetCell(0, 40, Marker(5, 0, 0));
  ASSERT_TRUE(w.SaveSegments(*doc_));
  EXPECT_EQ(test::ReadFileBytes(victim), victimBytes);
  struct stat st {};
  ASSERT_EQ(::lstat(dir_.File("A101100.sem").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  auto seg = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*seg, dir_.File("A101100.sem")));
  EXPECT_EQ(seg->Cell(0, 0), Marker(5, 0, 0));
}

TEST_F(SegmentTest, AnotherHolderOfTheProjectLockIsWaitedForThenNamed) {
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) WriteSegment(c, r);
  SegmentWindow w = Window(3, 3, 0, 0);
  w.LockWait = std::chrono::milliseconds(60);
  ASSERT_TRUE(w.LoadSegments(*doc_));
  const auto old = test::ReadFileBytes(w.SegmentPath(1, 1));
  doc_->SetCell(60, 60, Marker(9, 9, 9));

  {
    // Another program writing the project: neither loading nor saving goes on.
    FileLock other;
    ASSERT_EQ(other.Take(w.LockPath(), FileLock::Mode::Exclusive, {}), FileLock::Outcome::Taken);
    auto fresh = std::make_unique<MapDocument>();
    fresh->SetMapSize(5, 5);
    const LoadResult loaded = w.LoadSegments(*fresh);
    EXPECT_EQ(loaded.Message(),
              "cannot open '" + w.ProjectDir +
                  "': another program holds the project (.harbourlight-segments.lock stayed "
                  "locked for 60 ms); try again when it is done");
    EXPECT_EQ(fresh->MapWidth(), 5);
    const SaveResult saved = w.SaveSegments(*doc_);
    EXPECT_EQ(saved.Message(),
              "cannot write '" + w.ProjectDir +
                  "': another program holds the project (.harbourlight-segments.lock stayed "
                  "locked for 60 ms); try again when it is done");
    EXPECT_EQ(test::ReadFileBytes(w.SegmentPath(1, 1)), old);
  }
  {
    // Another program loading: more readers are welcome, a writer is not.
    FileLock reader;
    ASSERT_EQ(reader.Take(w.LockPath(), FileLock::Mode::Shared, {}), FileLock::Outcome::Taken);
    auto fresh = std::make_unique<MapDocument>();
    EXPECT_TRUE(w.LoadSegments(*fresh));
    EXPECT_FALSE(w.SaveSegments(*doc_));
    EXPECT_EQ(test::ReadFileBytes(w.SegmentPath(1, 1)), old);
  }
  {
    // A holder that lets go within the wait delays the save, no more.
    auto other = std::make_unique<FileLock>();
    ASSERT_EQ(other->Take(w.LockPath(), FileLock::Mode::Exclusive, {}), FileLock::Outcome::Taken);
    w.LockWait = kProjectLockWait;
    std::thread release([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      other.reset();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(w.SaveSegments(*doc_));
    release.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
  auto again = std::make_unique<MapDocument>();
  ASSERT_TRUE(w.LoadSegments(*again));
  EXPECT_EQ(again->Cell(60, 60), Marker(9, 9, 9));
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <memory>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/RegionCommands.h"
#include "app/SegmentCommands.h"
#include "map/MapFile.h"
#include "util/FileLock.h"

namespace hl {
namespace {

using Reply = Questions::Reply;

// Segment (col, row) as a file whose light at (0, 0) tells which it is: col * 10 + row + 1.
void WriteSegmentFile(const std::string& dir, int col, int row) {
  auto doc = std::make_unique<MapDocument>();
  doc->SetLight(0, 0, col * 10 + row + 1);
  ASSERT_TRUE(SaveSegment(*doc, dir + "/" + SegmentName("A", col, row) + ".sem", 0, 0));
}

class SegmentCommandsTest : public ::testing::Test {
 protected:
  // A project of cols x rows segments saved in the temporary folder, every segment written.
  void Project(int cols, int rows) {
    for (int c = 0; c < cols; ++c)
      for (int r = 0; r < rows; ++r) WriteSegmentFile(dir_.Path(), c, r);
    ASSERT_TRUE(s_.New("A", std::to_string(cols), std::to_string(rows)));
    ASSERT_TRUE(s_.SaveProject(dir_.File("w.mp"), "A", std::to_string(cols), std::to_string(rows)));
  }
  // Which segment the window shows at window column i, row j (0: none).
  int Shown(int i, int j) const { return doc_->Cell(40 * i, 40 * j).Light; }

  test::TempDir dir_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  test::ScriptedQuestions q_;
  test::RecordingWindow window_;
  ToolState tools_;
  MainCommands c_{*doc_, q_, window_, kBitCountData};
  SegmentCommands s_{c_, *doc_, q_, tools_, window_};
};

TEST_F(SegmentCommandsTest, EditLoadsTheWindowAtTheOrigin) {
  Project(3, 3);
  EXPECT_EQ(s_.Grid().Name(2, 0), "A100102");
  EXPECT_EQ(s_.Grid().Name(1, 2), "A102101");
  s_.SetOrigin(0, 0);
  ASSERT_TRUE(s_.EditWindow());
  EXPECT_TRUE(c_.SegmentMode());
  EXPECT_TRUE(tools_.SegmentMode);
  EXPECT_EQ(doc_->MapWidth(), 120);
  EXPECT_EQ(Shown(2, 1), 22);
  EXPECT_EQ(c_.NameLabelText(), "A100100");
  c_.SetModified(true);
  EXPECT_EQ(c_.NameLabelText(), "Unsaved A100100");
  EXPECT_EQ(c_.TitleName(), "A100100");
  EXPECT_GE(window_.SizeViews, 1);
}

TEST_F(SegmentCommandsTest, MovesStopAtTheEdgeAndReloadEveryTime) {
  Project(5, 4);
  EXPECT_FALSE(s_.Move(1, 0));  // outside segment mode the buttons do nothing
  ASSERT_TRUE(s_.EditWindow());
  doc_->SetLight(5, 5, 9);  // unsaved, and not modified: dropped by the move
  for (int expected : {1, 2, 2}) {
    ASSERT_TRUE(s_.Move(1, 0));
    EXPECT_EQ(s_.OriginCol(), expected);
    EXPECT_EQ(Shown(0, 0), expected * 10 + 1);
    EXPECT_EQ(tools_.SegOriginX, expected * 40);
  }
  EXPECT_EQ(doc_->Cell(5, 5).Light, 0);
  ASSERT_TRUE(s_.Move(0, 1));
  EXPECT_EQ(s_.OriginRow(), 1);
  ASSERT_TRUE(s_.Move(0, 1));  // 1 + 3 = 4 rows: no further
  EXPECT_EQ(s_.OriginRow(), 1);
  ASSERT_TRUE(s_.Move(-1, -1));
  ASSERT_TRUE(s_.Move(-1, -1));  // row 0: only the column moves
  EXPECT_EQ(s_.OriginCol(), 0);
  EXPECT_EQ(s_.OriginRow(), 0);
  EXPECT_TRUE(q_.Asked.empty());
}

TEST_F(SegmentCommandsTest, EditQuestionSavesSkipsOrCancels) {
  Project(4, 3);
  ASSERT_TRUE(s_.EditWindow());
  doc_->SetLight(1, 1, 50);
  c_.SetModified(true);
  q_.Replies = {Reply::Cancel};
  EXPECT_FALSE(s_.Move(1, 0));
  EXPECT_EQ(s_.OriginCol(), 0);  // the origin goes back, nothing is loaded
  EXPECT_EQ(doc_->Cell(1, 1).Light, 50);
  EXPECT_TRUE(c_.Modified());
  q_.Replies = {Reply::Yes};
  ASSERT_TRUE(s_.Move(1, 0));
  EXPECT_EQ(q_.Asked, (std::vector<std::string>{"Edit ?", "Edit ?"}));
  auto saved = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*saved, dir_.File("A100100.sem")));
  EXPECT_EQ(saved->Cell(1, 1).Light, 50);  // saved under the name it was loaded with
  EXPECT_FALSE(c_.Modified());
  // Ctrl+Z brings back nothing of the previous window.
  c_.Undo();
  EXPECT_EQ(doc_->Cell(1, 1).Light, 0);
  EXPECT_EQ(Shown(0, 0), 11);
}

TEST_F(SegmentCommandsTest, FailedSaveKeepsTheWindowAndTheMark) {
  Project(4, 3);
  ASSERT_TRUE(s_.EditWindow());
  c_.Segments().ProjectDir = dir_.File("gone/");
  c_.SetModified(true);
  q_.Replies = {Reply::Yes};
  EXPECT_FALSE(s_.Move(1, 0));
  EXPECT_EQ(s_.OriginCol(), 0);
  EXPECT_TRUE(c_.Modified());
  ASSERT_EQ(q_.Asked.size(), 2u);  // the question and the report of the failure
  EXPECT_EQ(q_.Asked[1], "cannot write '" + dir_.File("gone/A100100.sem") + "': the folder '" +
                             dir_.File("gone") + "' does not exist");
  q_.Replies = {Reply::Yes};
  EXPECT_FALSE(c_.QuerySave());  // the map's own question saves the segments too
}

TEST_F(SegmentCommandsTest, OrdinaryMapIsGuardedByTheMapQuestion) {
  Project(3, 3);
  c_.SetModified(true);
  q_.Replies = {Reply::Cancel};
  EXPECT_FALSE(s_.EditWindow());
  EXPECT_EQ(q_.Asked, std::vector<std::string>{"Would you like to save ?"});
  EXPECT_FALSE(c_.SegmentMode());
}

TEST_F(SegmentCommandsTest, WithoutAProjectNothingChanges) {
  EXPECT_FALSE(s_.New("A", "0", "3"));
  EXPECT_FALSE(s_.New("A", "x", "3"));
  ASSERT_TRUE(s_.New("A", "3", "3"));
  doc_->SetLight(2, 2, 4);
  EXPECT_FALSE(s_.EditWindow());
  EXPECT_FALSE(s_.SaveSegs());
  EXPECT_EQ(q_.Asked, (std::vector<std::string>{SegmentCommands::kNoProject,
                                                SegmentCommands::kCancelled}));
  EXPECT_EQ(std::string(SegmentCommands::kCancelled), "\xEC\xB7\xA8\xEC\x86\x8C \xEB\x90\x98"
                                                      "\xEC\x97\x88\xEC\x8A\xB5\xEB\x8B\x88\xEB\x8B\xA4");
  EXPECT_FALSE(c_.SegmentMode());
  EXPECT_EQ(doc_->Cell(2, 2).Light, 4);
  EXPECT_TRUE(test::ListDirectory(dir_.Path()).empty());
}

TEST_F(SegmentCommandsTest, OpenFillsTheBoxesAndRefusesHostileFiles) {
  ASSERT_TRUE(s_.SaveProject(dir_.File("w.mp"), "  Isle ", "7", "2"));
  SegmentCommands::Boxes boxes{"A", "3", "3"};
  ASSERT_TRUE(s_.OpenProject(dir_.File("w.mp"), boxes));
  EXPECT_EQ(boxes.Ident, "Isle");
  EXPECT_EQ(boxes.Col, "7");
  EXPECT_EQ(s_.Grid().Cols, 7);
  EXPECT_EQ(s_.Grid().Name(6, 1), "Isle101106");
  EXPECT_EQ(s_.ProjectDir(), dir_.Path() + "/");

  EXPECT_FALSE(s_.SaveProject(dir_.File("long.mp"), "A234567890ABCDEFGHIJ", "3", "3"));
  EXPECT_FALSE(test::FileExists(dir_.File("long.mp")));
  EXPECT_FALSE(s_.New("A", "3", "20000"));
  EXPECT_EQ(s_.Grid().Rows, 2);
  EXPECT_FALSE(s_.SaveProject(dir_.File("big.mp"), "A", "3", "20000"));
  EXPECT_FALSE(test::FileExists(dir_.File("big.mp")));
  // A file from elsewhere may name more segments than our writer would store.
  ASSERT_TRUE(WriteProject(dir_.File("big.mp"), {"A", 3, 2}));
  test::PatchFile(dir_.File("big.mp"), 20, {0x20, 0x4E, 0, 0});  // 20,000 rows
  EXPECT_FALSE(s_.OpenProject(dir_.File("big.mp"), boxes));
  EXPECT_EQ(s_.Grid().Rows, 2);
  EXPECT_EQ(boxes.Row, "2");
  EXPECT_EQ(q_.Asked.size(), 4u);

  // An ident that would name files in another folder, from a file or from the box.
  std::vector<std::uint8_t> climbing(kProjectFileSize, 0);
  climbing[0] = 7;
  std::copy_n("../../x", 7, climbing.begin() + 1);
  climbing[16] = climbing[20] = 3;
  test::WriteFileBytes(dir_.File("up.mp"), climbing);
  q_.Asked.clear();
  EXPECT_FALSE(s_.OpenProject(dir_.File("up.mp"), boxes));
  EXPECT_EQ(q_.Asked, std::vector<std::string>{"'" + dir_.File("up.mp") +
                                               "' is refused: " + IdentProblem("../../x")});
  EXPECT_EQ(boxes.Ident, "Isle");
  EXPECT_EQ(s_.Grid().Ident, "Isle");
  for (const char* ident : {"../../x", "a\\b"}) {
    EXPECT_FALSE(s_.New(ident, "3", "3"));
    EXPECT_FALSE(s_.SaveProject(dir_.File("up2.mp"), ident, "3", "3"));
  }
  EXPECT_FALSE(test::FileExists(dir_.File("up2.mp")));
  EXPECT_EQ(s_.Grid().Ident, "Isle");

  SegmentCommands::Boxes kept{"B", "2", "2"};  // a missing file leaves the boxes as they are
  ASSERT_TRUE(s_.OpenProject(dir_.File("none.mp"), kept));
  EXPECT_EQ(s_.Grid().Name(1, 1), "B101101");
}

TEST_F(SegmentCommandsTest, AProjectFileThatCannotBeWrittenSaysWhy) {
  const std::string file = dir_.File("none/w.mp");
  EXPECT_FALSE(s_.SaveProject(file, "A", "3", "3"));
  EXPECT_EQ(q_.Messages, std::vector<std::string>{"cannot write '" + file + "': the folder '" +
                                                  dir_.File("none") + "' does not exist"});
  // The boxes at fault: their own reason, as the writer would give it after the file name.
  q_.Messages.clear();
  EXPECT_FALSE(s_.SaveProject(dir_.File("w.mp"), "A", "3", "20000"));
  EXPECT_EQ(q_.Messages, std::vector<std::string>{ProjectProblem({"A", 3, 20000})});
  EXPECT_EQ(WriteProject(dir_.File("w.mp"), {"A", 3, 20000}).Message(),
            "cannot write '" + dir_.File("w.mp") + "': " + q_.Messages[0]);
  EXPECT_FALSE(test::FileExists(dir_.File("w.mp")));
}

TEST_F(SegmentCommandsTest, AfterCancelTheCellsAreAnUntitledMap) {
  // A map opened before the segments: its name must not stay on the segment cells.
  auto before = std::make_unique<MapDocument>();
  before->SetMapSize(50, 50);
  before->SetLight(0, 0, 99);
  ASSERT_TRUE(SaveMap(*before, dir_.File("town.map"), kBitCountData));
  q_.OpenNames = {dir_.File("town.map")};
  c_.Open1Click();
  ASSERT_EQ(c_.MapFileName(), dir_.File("town.map"));
  Project(3, 3);
  ASSERT_TRUE(s_.EditWindow());
  c_.SetModified(true);
  s_.Cancel();
  EXPECT_EQ(c_.MapFileName(), "");
  EXPECT_EQ(window_.Label, "Untitled.map");
  EXPECT_EQ(c_.NameLabelText(), "Unsaved");
  EXPECT_EQ(c_.TitleName(), "Untitled");
  // Save As starts untitled and asks before it would replace the old map with segment cells.
  q_.SaveNames = {dir_.File("town.map")};
  EXPECT_FALSE(c_.SaveAs1Click());  // No, then the dialog is cancelled
  ASSERT_EQ(q_.SaveStartedAt.size(), 2u);
  EXPECT_EQ(q_.SaveStartedAt[0], "");
  ASSERT_GE(q_.Asked.size(), 2u);
  EXPECT_EQ(q_.Asked[q_.Asked.size() - 2],
            "\"town.map\" already exists.\nDo you want to replace it?");
  ASSERT_TRUE(LoadMap(*before, dir_.File("town.map")));
  EXPECT_EQ(before->Cell(0, 0).Light, 99);
}

TEST_F(SegmentCommandsTest, TwoColumnsLeaveTheThirdEmptyAndCancelKeepsTheCells) {
  Project(2, 3);
  ASSERT_TRUE(s_.EditWindow());
  EXPECT_EQ(Shown(1, 2), 13);
  EXPECT_EQ(Shown(2, 0), 0);
  doc_->SetLight(85, 5, 3);
  ASSERT_TRUE(s_.SaveSegs());
  EXPECT_EQ(test::ListDirectory(dir_.Path()).size(), 8u);  // six segments, project and lock
  s_.Cancel();
  EXPECT_FALSE(c_.SegmentMode());
  EXPECT_EQ(Shown(1, 2), 13);
  EXPECT_EQ(c_.MapFileName(), "");
  s_.ClearSegment();
  EXPECT_EQ(Shown(1, 2), 0);
  EXPECT_EQ(doc_->MapWidth(), 120);
}

TEST_F(SegmentCommandsTest, AProjectHeldElsewhereLeavesTheOpenWindowAsItWas) {
  Project(4, 3);
  c_.Segments().LockWait = std::chrono::milliseconds(40);
  ASSERT_TRUE(s_.EditWindow());
  doc_->SetLight(5, 5, 7);
  c_.SetModified(true);
  FileLock other;
  ASSERT_EQ(other.Take(c_.Segments().LockPath(), FileLock::Mode::Exclusive, {}),
            FileLock::Outcome::Taken);
  q_.Replies = {Reply::No};  // the edit question: drop the change, load the next window
  EXPECT_FALSE(s_.Move(1, 0));
  ASSERT_EQ(q_.Messages.size(), 1u);
  EXPECT_NE(q_.Messages[0].find("another program holds the project"), std::string::npos);
  // Still the first window, under its own names, with the change: Save Segs stores it there.
  EXPECT_EQ(s_.OriginCol(), 0);
  EXPECT_EQ(c_.Segments().SegmentNames[0][0], "A100100");
  EXPECT_EQ(doc_->Cell(5, 5).Light, 7);
  EXPECT_FALSE(s_.SaveSegs());
  EXPECT_TRUE(c_.Modified());
  other.Release();
  ASSERT_TRUE(s_.SaveSegs());
  auto seg = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*seg, dir_.File("A100100.sem")));
  EXPECT_EQ(seg->Cell(5, 5).Light, 7);
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

TEST_F(SegmentCommandsTest, RegionsCrossSegmentBordersAndTravelWithTheWindow) {
  Project(5, 3);
  ASSERT_TRUE(s_.EditWindow());
  // A 4 x 4 patch straddling the corner of four segments of the window at (0, 0).
  for (int x = 38; x < 42; ++x)
    for (int y = 38; y < 42; ++y) doc_->SetMiddleTile(x, y, 100 + x * 4 + y);
  RegionCommands regions(*doc_);
  ASSERT_TRUE(regions.Select(38, 38, 41, 41, kRegionSmall));
  ASSERT_TRUE(regions.Copy());
  c_.SetModified(false);  // the patch itself is not kept: only its copy travels
  ASSERT_TRUE(s_.Move(1, 0));
  ASSERT_EQ(s_.OriginCol(), 1);
  ASSERT_TRUE(regions.Paste(78, 18, false));  // over the border of window columns 1 and 2
  c_.SetModified(true);
  ASSERT_TRUE(s_.SaveSegs());

  // The world's segments (2, 0) and (3, 0) hold the two halves, at their own cells.
  auto left = std::make_unique<CellStorage>();
  ASSERT_TRUE(LoadSegment(*left, dir_.File(SegmentName("A", 2, 0) + ".sem"), 0, 0));
  auto right = std::make_unique<CellStorage>();
  ASSERT_TRUE(LoadSegment(*right, dir_.File(SegmentName("A", 3, 0) + ".sem"), 0, 0));
  for (int dx = 0; dx < 4; ++dx) {
    for (int dy = 0; dy < 4; ++dy) {
      const int x = 78 + dx - 40;  // window column 1 starts at world segment 2
      const CellStorage& seg = x < 40 ? *left : *right;
      EXPECT_EQ(seg.At(x % 40, 18 + dy).MiddleTile, 100 + (38 + dx) * 4 + 38 + dy) << dx << dy;
    }
  }
  EXPECT_EQ(left->At(0, 0).Light, 21);  // the rest of the segment as it was
}

TEST(WindowOriginAround, PutsTheSegmentInTheMiddleAsFarAsTheGridAllows) {
  using S = SegmentCommands;
  EXPECT_EQ(S::WindowOriginAround(3, 4, 6, 6), std::pair(2, 3));
  EXPECT_EQ(S::WindowOriginAround(0, 0, 6, 6), std::pair(0, 0));
  EXPECT_EQ(S::WindowOriginAround(5, 5, 6, 6), std::pair(3, 3));
  EXPECT_EQ(S::WindowOriginAround(1, 9, 2, 10), std::pair(0, 7));  // narrower than a window
  EXPECT_EQ(S::WindowOriginAround(0, 0, 1, 1), std::pair(0, 0));
}

TEST_F(SegmentCommandsTest, EditAroundLoadsTheWindowAroundASegmentAndToldWhoListens) {
  Project(5, 4);
  int changes = 0, saves = 0;
  s_.SetChangeListener([&] { ++changes; });
  c_.SetSegmentsSavedListener([&](const SegmentWindow& w) {
    ++saves;
    EXPECT_EQ(w.SegmentNames[0][0], "A101102");  // the window saved: from column 2, row 1
  });
  ASSERT_FALSE(c_.SegmentMode());
  ASSERT_TRUE(s_.EditAround(4, 3));  // outside segment mode too
  EXPECT_EQ(s_.OriginCol(), 2);
  EXPECT_EQ(s_.OriginRow(), 1);
  EXPECT_EQ(s_.LoadedCol(), 2);
  EXPECT_EQ(Shown(0, 0), 22);
  EXPECT_GE(changes, 1);

  // Cancelled at "Edit ?": nothing loads and the origin stays.
  doc_->SetLight(3, 3, 9);
  c_.SetModified(true);
  q_.Replies = {Reply::Cancel};
  EXPECT_FALSE(s_.EditAround(1, 1));
  EXPECT_EQ(s_.OriginCol(), 2);
  EXPECT_EQ(s_.OriginRow(), 1);
  EXPECT_EQ(Shown(0, 0), 22);
  EXPECT_EQ(saves, 0);
  // Yes saves the window first, and says so.
  q_.Replies = {Reply::Yes};
  ASSERT_TRUE(s_.EditAround(1, 1));
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(Shown(0, 0), 1);
  EXPECT_EQ(s_.LoadedCol(), 0);
}

}  // namespace
}  // namespace hl

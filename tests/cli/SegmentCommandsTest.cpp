#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/ScriptedQuestions.h"
#include "app/SegmentCommands.h"
#include "cli/RunHlmap.h"
#include "map/MapFile.h"
#include "segments/SegmentFixture.h"

namespace hl {
namespace {

using test::Marker;
using test::SegmentTest;

TEST_F(SegmentTest, HlmapCutsAndStoresWindows) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 3; ++r) WriteSegment(c, r);
  const std::string project = dir_.File("w.mp");
  ASSERT_TRUE(WriteProject(project, {"A", 4, 3}));
  const std::string out = dir_.File("win.map");
  auto r = test::Hlmap({"seg-window", project, "1", "0", out});
  ASSERT_EQ(r.Code, 0) << r.Err;
  ASSERT_TRUE(LoadMap(*doc_, out));
  EXPECT_EQ(doc_->MapWidth(), 120);
  EXPECT_EQ(doc_->Cell(0, 0), Marker(10, 0, 0));
  EXPECT_EQ(doc_->Cell(119, 80), Marker(32, 39, 0));

  doc_->SetCell(119, 80, Marker(77, 1, 1));
  ASSERT_TRUE(SaveMap(*doc_, out, kBitCountData));
  r = test::Hlmap({"seg-store", project, "1", "0", out});
  ASSERT_EQ(r.Code, 0) << r.Err;
  auto seg = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*seg, dir_.File("A102103.sem")));
  EXPECT_EQ(seg->Cell(39, 0), Marker(77, 1, 1));

  EXPECT_NE(test::Hlmap({"seg-window", project, "4", "0", out}).Code, 0);
  EXPECT_NE(test::Hlmap({"seg-window", dir_.File("none.mp"), "0", "0", out}).Code, 0);
}

TEST_F(SegmentTest, HlmapOpensTheFilesTheSegmentWindowOpens) {
  // A project file from elsewhere may keep spaces around its ident; the segment window trims
  // them, so the segments are the A... files.
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) WriteSegment(c, r);
  const std::string project = dir_.File("w.mp");
  ASSERT_TRUE(WriteProject(project, {" A  ", 3, 3}));
  const std::string out = dir_.File("win.map");
  auto r = test::Hlmap({"seg-window", project, "0", "0", out});
  ASSERT_EQ(r.Code, 0) << r.Err;
  ASSERT_TRUE(LoadMap(*doc_, out));

  auto editor = std::make_unique<MapDocument>();
  test::ScriptedQuestions q;
  test::RecordingWindow window;
  ToolState tools;
  MainCommands main(*editor, q, window, kBitCountData);
  SegmentCommands segments(main, *editor, q, tools, window);
  SegmentCommands::Boxes boxes;
  ASSERT_TRUE(segments.OpenProject(project, boxes));
  ASSERT_TRUE(segments.EditWindow());
  EXPECT_EQ(doc_->Cell(0, 0), Marker(0, 0, 0));
  EXPECT_EQ(doc_->Cell(119, 119), Marker(22, 39, 39));
  for (int x = 0; x < kWindowCells; ++x) {
    for (int y = 0; y < kWindowCells; ++y) {
      ASSERT_EQ(doc_->Cell(x, y), editor->Cell(x, y)) << x << "," << y;
    }
  }

  // Stored back under the same names, and no others.
  const auto before = test::ListDirectory(dir_.Path());
  doc_->SetCell(41, 1, Marker(99, 0, 0));
  ASSERT_TRUE(SaveMap(*doc_, out, kBitCountData));
  r = test::Hlmap({"seg-store", project, "0", "0", out});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(test::ListDirectory(dir_.Path()), before);
  auto seg = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*seg, dir_.File("A100101.sem")));
  EXPECT_EQ(seg->Cell(1, 1), Marker(99, 0, 0));
}

TEST_F(SegmentTest, HlmapGivesTheSegmentWindowsRefusals) {
  const std::string project = dir_.File("w.mp");
  const std::string out = dir_.File("win.map");
  ASSERT_TRUE(WriteProject(project, {"Isle", 3, 3}));
  test::PatchFile(project, 2, {0x07});  // a control character in the ident
  auto r = test::Hlmap({"seg-window", project, "0", "0", out});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err, "hlmap: '" + project + "' is refused: " + IdentProblem("I\x07le") + "\n");

  test::WriteFileBytes(project, {4, 'I'});
  r = test::Hlmap({"seg-store", project, "0", "0", out});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err, "hlmap: '" + project + "' is not a segment project (too short)\n");

  r = test::Hlmap({"seg-window", dir_.File("none.mp"), "0", "0", out});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err, "hlmap: cannot read the project '" + dir_.File("none.mp") + "'\n");
  EXPECT_FALSE(test::FileExists(out));
}
TEST_F(SegmentTest, HlmapStoresNothingOutsideTheProjectFolder) {
  // A project two folders down whose ident climbs back up: "../../x".
  const std::string folder = dir_.File("a/b");
  std::filesystem::create_directories(folder);
  const std::string project = folder + "/w.mp";
  std::vector<std::uint8_t> bytes(kProjectFileSize, 0);
  const std::string ident = "../../x";
  bytes[0] = static_cast<std::uint8_t>(ident.size());
  std::copy(ident.begin(), ident.end(), bytes.begin() + 1);
  bytes[16] = bytes[20] = 3;
  test::WriteFileBytes(project, bytes);
  doc_->SetMapSize(kWindowCells, kWindowCells);
  const std::string in = dir_.File("in.map");
  ASSERT_TRUE(SaveMap(*doc_, in, kBitCountData));

  for (const char* command : {"seg-store", "seg-window"}) {
    const auto r = test::Hlmap({command, project, "0", "0", in});
    EXPECT_EQ(r.Code, 1) << command;
    EXPECT_EQ(r.Err, "hlmap: '" + project + "' is refused: " + IdentProblem(ident) + "\n");
  }
  auto top = test::ListDirectory(dir_.Path());
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (std::vector<std::string>{"a", "in.map"}));
  EXPECT_EQ(test::ListDirectory(dir_.File("a")), std::vector<std::string>{"b"});
  EXPECT_EQ(test::ListDirectory(folder), std::vector<std::string>{"w.mp"});
}

TEST_F(SegmentTest, HlmapStoresOnlyAMapOfTheWindowsSize) {
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) WriteSegment(c, r);
  const std::string project = dir_.File("w.mp");
  ASSERT_TRUE(WriteProject(project, {"A", 3, 3}));
  const auto old = test::ReadFileBytes(dir_.File("A101101.sem"));
  const std::string in = dir_.File("small.map");
  for (const auto& [w, h] : {std::pair{100, 100}, std::pair{120, 119}, std::pair{200, 200}}) {
    doc_->SetMapSize(w, h);
    ASSERT_TRUE(SaveMap(*doc_, in, kBitCountData));
    const auto r = test::Hlmap({"seg-store", project, "0", "0", in});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, "hlmap: '" + in + "' is " + std::to_string(w) + " x " + std::to_string(h) +
                         " cells; a window of segments is 120 x 120, so nothing was stored\n");
    EXPECT_EQ(test::ReadFileBytes(dir_.File("A101101.sem")), old);
  }
}

}  // namespace
}  // namespace hl

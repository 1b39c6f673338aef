#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "TempDir.h"
#include "app/MapCheck.h"
#include "map/MapFile.h"

namespace hl {
namespace {

// Libraries of every kind with ten images each.
LibraryCounts TenEach() {
  LibraryCounts libs;
  libs.Tiles = 10;
  libs.SmTiles = 10;
  libs.Objects.fill(10);
  return libs;
}

std::vector<std::string> Ids(const CheckReport& r) {
  std::vector<std::string> ids;
  for (const Finding& f : r.Listed()) ids.push_back(f.Id);
  return ids;
}

class MapCheckTest : public ::testing::Test {
 protected:
  CheckReport Check(const LibraryCounts& libs = TenEach()) {
    CheckReport report;
    CheckCells(*doc_, doc_->MapWidth(), doc_->MapHeight(), libs, report);
    return report;
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
};

TEST_F(MapCheckTest, AMapOfWholeBlocksAndKnownImagesIsClean) {
  doc_->SetMapSize(7, 5);  // odd: the last blocks are cut by the map's edge
  for (int x = 0; x < 8; x += 2)
    for (int y = 0; y < 6; y += 2) doc_->SetBackTileBlock(x, y, 10);  // image 9, the last
  doc_->SetMiddleTile(6, 4, 10);
  doc_->SetObject(3, 3, ObjectIndex::Make(19, 9) + 1);
  doc_->SetLight(1, 1, kUsualMaxLight);
  const CheckReport r = Check();
  EXPECT_EQ(r.Errors() + r.Warnings(), 0) << CheckText(r);
  EXPECT_EQ(CheckText(r), "0 errors, 0 warnings\n");
}

TEST_F(MapCheckTest, ImagesBeyondTheirLibrariesAreErrors) {
  doc_->SetMapSize(10, 10);
  doc_->SetBackTileBlock(2, 2, 11);  // image 10 of ten: beyond
  doc_->SetMiddleTile(0, 5, 11);
  doc_->SetObject(1, 6, ObjectIndex::Make(4, 10) + 1);
  doc_->SetCell(2, 7, TMapCell{0, 0, 1, 0, 0, 0, 0, 20, 0});  // slot 20 has no library
  LibraryCounts libs = TenEach();
  libs.Objects[3].reset();
  doc_->SetObject(3, 8, ObjectIndex::Make(3, 0) + 1);
  const CheckReport r = Check(libs);
  EXPECT_EQ(r.Errors(), 4 + 1 + 1 + 1 + 1);
  EXPECT_EQ(r.Warnings(), 0);
  const std::string text = CheckText(r);
  EXPECT_NE(text.find("error tile-beyond-library cell 2,2: big tile 10 is beyond the last image "
                      "(9) of Tiles.Data\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("error tile-beyond-library cell 0,5: small tile 10"), std::string::npos);
  EXPECT_NE(text.find("error missing-object-image cell 1,6: object image 10 is not in "
                      "Objects5.Data, which has 10 images\n"),
            std::string::npos);
  EXPECT_NE(text.find("error missing-library cell 2,7: object library 20 is beyond"),
            std::string::npos);
  EXPECT_NE(text.find("error missing-library cell 3,8: object library 3 has no library file "
                      "(Objects4.Data)\n"),
            std::string::npos);
  libs.Format = LibraryFormat::Wil;
  libs.Tiles.reset();
  EXPECT_NE(CheckText(Check(libs)).find("big tile 10: there is no library file Tiles.wil"),
            std::string::npos);
}

TEST_F(MapCheckTest, BlocksOfMixedBigTilesLibrarySevenAndBrightLightsAreWarnings) {
  doc_->SetMapSize(5, 5);
  doc_->SetBackTileBlock(0, 0, 3);
  doc_->SetBackTile(1, 1, 4);  // one cell of the block differs
  doc_->SetBackTile(4, 3, 2);  // an odd row of the cut block at column 4
  doc_->SetCell(1, 4, TMapCell{0, 0, 22768, 0, 0, 0, 0, 7, 0});  // moves to library 6
  doc_->SetCell(2, 4, TMapCell{0, 0, 22769, 0, 0, 0, 0, 7, 0});  // stays in library 7
  doc_->SetLight(3, 4, kUsualMaxLight + 1);
  LibraryCounts libs = TenEach();
  libs.Objects[7] = 30000;
  const CheckReport r = Check(libs);
  EXPECT_EQ(r.Errors(), 0) << CheckText(r);
  EXPECT_EQ(Ids(r), (std::vector<std::string>{"split-big-tile", "kept-in-library-7", "bright-light",
                                              "split-big-tile"}));
  EXPECT_EQ(r.Listed()[0].Message, "the 2 x 2 block holds big tile 2 here but 3 at 1,1");
  EXPECT_EQ(r.Listed()[3].X, 4);
  EXPECT_EQ(r.Listed()[3].Y, 2);
}

TEST_F(MapCheckTest, EachRuleListsAThousandAndCountsTheRest) {
  doc_->SetMapSize(60, 60);
  for (int x = 0; x < 60; ++x)
    for (int y = 0; y < 60; ++y) doc_->SetLight(x, y, 9);
  doc_->SetMiddleTile(59, 59, 99);
  const CheckReport r = Check();
  EXPECT_EQ(r.Warnings(), 3600);
  EXPECT_EQ(r.Errors(), 1);
  EXPECT_EQ(r.Listed().size(), 1001u);
  EXPECT_EQ(r.Unlisted(), (std::map<std::string, long long>{{"bright-light", 2600}}));
  const std::string text = CheckText(r);
  EXPECT_NE(text.find("... and 2600 more bright-light not listed\n1 error, 3600 warnings\n"),
            std::string::npos);
  const std::string json = CheckJson(r);
  EXPECT_EQ(json.rfind("{\"errors\":1,\"warnings\":3600,\"findings\":[{", 0), 0u);
  EXPECT_NE(json.find("\"unlisted\":{\"bright-light\":2600}}"), std::string::npos);
}

class ProjectCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project_.Ident = "W";
    project_.Cols = 3;
    project_.Rows = 2;
  }
  std::string Segment(int col, int row) const {
    return dir_.File(SegmentName("W", col, row) + ".sem");
  }
  void WriteSegment(int col, int row, const TMapCell& at5x6 = {}) {
    MapDocument doc;
    doc.SetCell(5, 6, at5x6);
    ASSERT_TRUE(SaveSegment(doc, Segment(col, row), 0, 0));
  }
  CheckReport Check() {
    CheckReport report;
    CheckProject(dir_.Path() + "/", project_, TenEach(), report);
    return report;
  }
  test::TempDir dir_;
  SegmentProject project_;
};

TEST_F(ProjectCheckTest, SegmentsAreCheckedInWorldCellsAndTheirFilesJudged) {
  WriteSegment(0, 0);
  WriteSegment(2, 1, TMapCell{0, 0, 0, 0, 0, 0, 0, 0, 7});  // a bright light
  WriteSegment(1, 0);
  // A longer file is fine; a shorter one or another size in the header is an error.
  auto bytes = test::ReadFileBytes(Segment(1, 0));
  bytes.push_back(0);
  test::WriteFileBytes(Segment(1, 0), bytes);
  bytes.resize(kSegmentFileSize - 1);
  test::WriteFileBytes(Segment(0, 1), bytes);
  WriteSegment(1, 1);
  test::PatchFile(Segment(1, 1), 0, {41, 0});
  const CheckReport r = Check();
  const std::string text = CheckText(r);
  EXPECT_EQ(text,
            "error short-segment segment W101100: the file has 19251 bytes; a segment file has "
            "19252\n"
            "error segment-header segment W101101: its header says 41 x 40, not 40 x 40\n"
            "warning bright-light segment W101102 cell 85,46: light 7 is above the usual 0 to 4\n"
            "warning missing-segment segment W100102: the segment file W100102.sem is missing\n"
            "2 errors, 2 warnings\n");
}

TEST_F(ProjectCheckTest, AHugeGridOfMissingSegmentsIsCountedNotWalked) {
  project_.Cols = kMaxSegmentCount;
  project_.Rows = kMaxSegmentCount;
  WriteSegment(9999, 9999, TMapCell{0, 0, 0, 0, 0, 0, 0, 0, 9});
  const CheckReport r = Check();
  EXPECT_EQ(r.Warnings(), 1LL * kMaxSegmentCount * kMaxSegmentCount);
  EXPECT_EQ(r.Unlisted().at("missing-segment"),
            1LL * kMaxSegmentCount * kMaxSegmentCount - 1 - 1000);
  EXPECT_EQ(r.Listed().front().Segment, "W1009910099");
  EXPECT_EQ(r.Listed().front().X, 9999 * 40 + 5);
}

TEST_F(ProjectCheckTest, ALinkInASegmentsPlaceIsNotFollowed) {
  test::TempDir elsewhere;
  MapDocument doc;
  ASSERT_TRUE(SaveSegment(doc, elsewhere.File("real.sem"), 0, 0));
  ASSERT_EQ(::symlink(elsewhere.File("real.sem").c_str(), Segment(0, 0).c_str()), 0);
  const CheckReport r = Check();
  ASSERT_FALSE(r.Listed().empty());
  EXPECT_EQ(r.Listed().front().Id, "unreadable-segment");
  EXPECT_NE(r.Listed().front().Message.find("link"), std::string::npos);
}

}  // namespace
}  // namespace hl

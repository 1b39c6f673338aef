#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/MainCommands.h"
#include "map/MapFile.h"
#include "map/MapShift.h"

namespace hl {
namespace {

using Reply = Questions::Reply;

class MainCommandsTest : public ::testing::Test {
 protected:
  std::string SavedMap(const std::string& name, int lightAtOrigin) {
    auto doc = std::make_unique<MapDocument>();
    doc->SetMapSize(30, 20);
    doc->SetLight(0, 0, lightAtOrigin);
    EXPECT_TRUE(SaveMap(*doc, dir_.File(name), kBitCountData));
    return dir_.File(name);
  }
  test::TempDir dir_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  test::ScriptedQuestions q_;
  test::RecordingWindow window_;
  MainCommands c_{*doc_, q_, window_, kBitCountData};
};

TEST_F(MainCommandsTest, QuerySaveAsksOnlyWhenModified) {
  EXPECT_TRUE(c_.QuerySave());
  EXPECT_TRUE(q_.Asked.empty());
  c_.SetModified(true);
  q_.Replies = {Reply::No, Reply::Cancel};
  EXPECT_TRUE(c_.QuerySave());
  EXPECT_FALSE(c_.QuerySave());
  EXPECT_EQ(q_.Asked,
            (std::vector<std::string>{"Would you like to save ?", "Would you like to save ?"}));
}

TEST_F(MainCommandsTest, YesWithoutASaveStopsTheCommand) {
  c_.SetModified(true);
  q_.Replies = {Reply::Yes};  // then the save dialog is cancelled
  EXPECT_FALSE(c_.FormCloseQuery());
  q_.Replies = {Reply::Yes};
  q_.SaveNames = {dir_.File("no/such/folder.map")};
  EXPECT_FALSE(c_.FormCloseQuery());
  EXPECT_TRUE(c_.Modified());
  q_.Replies = {Reply::Yes};
  q_.SaveNames = {dir_.File("kept.map")};
  EXPECT_TRUE(c_.FormCloseQuery());
  EXPECT_FALSE(c_.Modified());
  EXPECT_TRUE(test::FileExists(dir_.File("kept.map")));
}

TEST_F(MainCommandsTest, OpenLoadsOrSaysWhyNot) {
  const std::string good = SavedMap("good.map", 3);
  doc_->SetLight(5, 5, 1);
  q_.OpenNames = {dir_.File("missing.map")};
  c_.Open1Click();
  EXPECT_EQ(q_.Messages, std::vector<std::string>{"cannot open '" + dir_.File("missing.map") +
                                                  "': the file does not exist"});
  EXPECT_EQ(doc_->Cell(5, 5).Light, 1);
  EXPECT_EQ(doc_->MapWidth(), 200);

  c_.SetModified(true);
  q_.Replies = {Reply::No};
  q_.OpenNames = {good};
  c_.Open1Click();
  EXPECT_EQ(doc_->MapWidth(), 30);
  EXPECT_EQ(c_.MapFileName(), good);
  EXPECT_FALSE(c_.Modified());
  EXPECT_EQ(window_.Label, "good");
  EXPECT_EQ(c_.NameLabelText(), "good");
}

TEST_F(MainCommandsTest, SaveWritesTheChosenFormatAndStartsAtTheCurrentName) {
  test::ScriptedQuestions wilQ;
  MainCommands wil(*doc_, wilQ, window_, kBitCountWil);
  wilQ.SaveNames = {dir_.File("w.map")};
  EXPECT_TRUE(wil.SaveAs1Click());
  TMapHeader header;
  auto other = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*other, dir_.File("w.map"), &header));
  EXPECT_EQ(header.MapBitCount, 0);

  q_.SaveNames = {dir_.File("d.map"), dir_.File("d2.map")};
  c_.Save1Click();
  ASSERT_TRUE(LoadMap(*other, dir_.File("d.map"), &header));
  EXPECT_EQ(header.MapBitCount, 16);
  c_.Save1Click();
  EXPECT_EQ(q_.SaveStartedAt, (std::vector<std::string>{"", dir_.File("d.map")}));

  q_.SaveNames = {"/dev/full"};
  c_.SetModified(true);
  EXPECT_FALSE(c_.SaveAs1Click());
  EXPECT_TRUE(c_.Modified());
  EXPECT_EQ(c_.MapFileName(), dir_.File("d2.map"));
  EXPECT_FALSE(q_.Messages.empty());
}

TEST_F(MainCommandsTest, SegmentModeRefusesWhatWouldDropTheSegments) {
  c_.SetSegmentMode(true);
  c_.New1Click();
  c_.Open1Click();
  c_.OpenOldFormatFile1Click();
  c_.Save1Click();
  EXPECT_EQ(q_.Asked, std::vector<std::string>(4, "Use Segment Tool"));
  q_.Asked.clear();
  c_.SaveAs1Click();
  c_.Resize1Click();
  c_.MapScroll1Click();
  c_.OldFromatBatchConvert1Click();
  EXPECT_EQ(q_.Asked, (std::vector<std::string>{"save dialog", "Map Size (999 x 999)", "ScrollMap",
                                                "open dialog"}));
}

TEST_F(MainCommandsTest, NewTakesSizesFromOneTo999) {
  struct Case {
    std::string W, H;
    int Width, Height;
  };
  for (const Case& k :
       {Case{"20", "20", 20, 20}, Case{"1", "999", 1, 999}, Case{" 30 ", "+7", 30, 7}}) {
    doc_->SetLight(3, 3, 2);
    q_.SizeTexts = {std::pair{k.W, k.H}};
    c_.New1Click();
    EXPECT_EQ(doc_->MapWidth(), k.Width) << k.W;
    EXPECT_EQ(doc_->MapHeight(), k.Height) << k.H;
    EXPECT_EQ(doc_->Cell(3, 3).Light, 0);
    EXPECT_EQ(window_.Label, "Untitled.map");
  }
  EXPECT_TRUE(q_.Refusals.empty());
  doc_->SetLight(3, 3, 2);
  c_.New1Click();  // "Close": nothing happens
  EXPECT_EQ(doc_->Cell(3, 3).Light, 2);
}

TEST_F(MainCommandsTest, SizeDialogRefusesWhatNoMapCanBeWhileItStaysOpen) {
  const std::string range = " must be a whole number from 1 to 999";
  // Each refused answer leaves the dialog open for the next one typed.
  q_.SizeTexts = {std::pair{std::string("abc"), std::string("-5")},
                  std::pair{std::string("0"), std::string("20")},
                  std::pair{std::string("5000"), std::string("20")},
                  std::pair{std::string(""), std::string("1000")},
                  std::pair{std::string("40"), std::string("30")}};
  c_.New1Click();
  EXPECT_EQ(doc_->MapWidth(), 40);
  EXPECT_EQ(doc_->MapHeight(), 30);
  EXPECT_EQ(
      q_.Refusals,
      (std::vector<std::string>{
          "X (the width)" + range + ", not \"abc\".\nY (the height)" + range + ", not \"-5\".",
          "X (the width)" + range + ", not \"0\".", "X (the width)" + range + ", not \"5000\".",
          "X (the width)" + range + ".\nY (the height)" + range + ", not \"1000\"."}));
  // The dialog was asked once; the refusals were shown in it.
  EXPECT_EQ(std::count(q_.Asked.begin(), q_.Asked.end(), "Map Size (999 x 999)"), 1);

  // Refused, then closed: neither New nor Resize changes anything.
  doc_->SetLight(3, 3, 2);
  q_.SizeTexts = {std::pair{std::string("0"), std::string("0")}};
  c_.New1Click();
  q_.SizeTexts = {std::pair{std::string("-1"), std::string("5")}};
  c_.Resize1Click();
  EXPECT_EQ(doc_->MapWidth(), 40);
  EXPECT_EQ(doc_->MapHeight(), 30);
  EXPECT_EQ(doc_->Cell(3, 3).Light, 2);
  EXPECT_FALSE(c_.Modified());
}

TEST_F(MainCommandsTest, NewForgetsTheFileName) {
  q_.OpenNames = {SavedMap("a.map", 1)};
  c_.Open1Click();
  q_.SizeTexts = {std::pair{std::string("10"), std::string("10")}};
  c_.New1Click();
  EXPECT_EQ(c_.MapFileName(), "");
  EXPECT_EQ(c_.NameLabelText(), "Unnamed");
}

TEST_F(MainCommandsTest, ResizeKeepsTheOuterCellsAndMarksTheMapModified) {
  doc_->SetLight(150, 150, 4);
  q_.SizeTexts = {std::pair{std::string("100"), std::string("100")},
                  std::pair{std::string("200"), std::string("200")}};
  c_.Resize1Click();
  EXPECT_EQ(doc_->MapWidth(), 100);
  EXPECT_TRUE(c_.Modified());
  c_.Resize1Click();
  EXPECT_EQ(doc_->Cell(150, 150).Light, 4);

  // No rows (which the dialog no longer lets through): saving is refused before the file
  // dialog, and the map stays unsaved.
  doc_->SetMapSize(50, 0);
  q_.SaveNames = {dir_.File("none.map")};
  EXPECT_FALSE(c_.SaveAs1Click());
  EXPECT_TRUE(c_.Modified());
  EXPECT_EQ(q_.Messages, std::vector<std::string>{MapSizeProblem(50, 0)});
  EXPECT_TRUE(q_.SaveStartedAt.empty());
  EXPECT_FALSE(test::FileExists(dir_.File("none.map")));
}

TEST_F(MainCommandsTest, MapScrollCasesAndTheirUndo) {
  auto reset = [&] {
    doc_->ClearMap();
    for (int i = 0; i < 1000; ++i) {
      doc_->SetCell(0, i, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});
      doc_->SetCell(3, i, TMapCell{3, 0, 0, 0, 0, 0, 0, 0, 0});
      doc_->SetCell(999, i, TMapCell{9, 0, 0, 0, 0, 0, 0, 0, 0});
      doc_->SetCell(i, 999, TMapCell{7, 0, 0, 0, 0, 0, 0, 0, 0});
    }
  };
  reset();
  q_.Shifts = {std::pair{std::string("2"), std::string("0")}};
  c_.MapScroll1Click();
  EXPECT_EQ(doc_->Cell(0, 5).BackTile, 0);
  EXPECT_EQ(doc_->Cell(1, 5).BackTile, 0);
  EXPECT_EQ(doc_->Cell(2, 5).BackTile, 1);
  EXPECT_EQ(doc_->Cell(50, 999).BackTile, 0);  // row 999 emptied by the dy = 0 branch
  EXPECT_TRUE(c_.Modified());

  reset();
  q_.Shifts = {std::pair{std::string("-3"), std::string("")}};
  c_.MapScroll1Click();
  EXPECT_EQ(doc_->Cell(0, 5).BackTile, 3);
  for (int x = 996; x <= 999; ++x) EXPECT_EQ(doc_->Cell(x, 5).BackTile, 0) << x;

  reset();
  q_.Shifts = {std::pair{std::string(""), std::string("")}};  // both boxes empty: dx = dy = 0
  c_.MapScroll1Click();
  EXPECT_EQ(doc_->Cell(0, 5).BackTile, 1);
  EXPECT_EQ(doc_->Cell(999, 5).BackTile, 0);
  EXPECT_EQ(doc_->Cell(5, 999).BackTile, 0);
  EXPECT_EQ(doc_->Cell(3, 998).BackTile, 3);

  reset();
  q_.Shifts = {std::pair{std::string("1000"), std::string("0")}};
  c_.MapScroll1Click();
  for (int x : {0, 3, 500, 999}) EXPECT_EQ(doc_->Cell(x, 10), TMapCell{}) << x;
  c_.Undo();
  EXPECT_EQ(doc_->Cell(3, 10).BackTile, 3);
  EXPECT_EQ(doc_->Cell(999, 10).BackTile, 9);
}

TEST_F(MainCommandsTest, OnlyOkShiftsAndJunkIsRefusedWhileTheDialogStaysOpen) {
  doc_->SetCell(10, 10, TMapCell{5, 0, 0, 0, 0, 0, 0, 0, 0});
  c_.MapScroll1Click();  // closed without Ok
  q_.Shifts = {std::nullopt};
  c_.MapScroll1Click();
  EXPECT_EQ(doc_->Cell(10, 10).BackTile, 5);
  EXPECT_EQ(doc_->UndoCount(), 0);
  EXPECT_FALSE(c_.Modified());
  EXPECT_EQ(window_.Repaints, 0);

  q_.Shifts = {std::pair{std::string("abc"), std::string("0")},
               std::pair{std::string("-2147483648"), std::string("2147483647")},
               std::pair{std::string("1001"), std::string("-1000")},
               std::pair{std::string("1"), std::string("-1")}};
  c_.MapScroll1Click();
  const std::string range = " must be a whole number from -1000 to 1000";
  EXPECT_EQ(q_.Refusals,
            (std::vector<std::string>{"Cords X" + range + ", not \"abc\".",
                                      "Cords X" + range + ", not \"-2147483648\".\nCords Y" +
                                          range + ", not \"2147483647\".",
                                      "Cords X" + range + ", not \"1001\"."}));
  EXPECT_EQ(doc_->Cell(11, 9).BackTile, 5);  // one right, one up
  EXPECT_EQ(doc_->UndoCount(), 1);

  // The shift itself stays safe with any number, should a caller skip the dialog.
  ShiftMap(*doc_, -2147483647 - 1, 2147483647);
  EXPECT_EQ(doc_->Cell(11, 9), TMapCell{});
}

TEST_F(MainCommandsTest, UndoAndRedo) {
  c_.Undo();  // empty history: nothing
  EXPECT_FALSE(c_.Modified());
  EXPECT_EQ(window_.Repaints, 0);
  doc_->PushUndo();
  doc_->SetLight(1, 1, 3);
  c_.Undo();
  EXPECT_EQ(doc_->Cell(1, 1).Light, 0);
  EXPECT_TRUE(c_.Modified());
  c_.Redo();
  EXPECT_EQ(doc_->Cell(1, 1).Light, 3);
  c_.Undo();
  doc_->PushUndo();  // a new edit ends the redo
  doc_->SetLight(2, 2, 1);
  c_.Redo();
  EXPECT_EQ(doc_->Cell(1, 1).Light, 0);
  EXPECT_EQ(doc_->Cell(2, 2).Light, 1);
}

TEST_F(MainCommandsTest, OldFormatImportMarksTheMapModified) {
  const std::string old = SavedMap("old.map", 1);
  q_.OpenNames = {old};
  c_.OpenOldFormatFile1Click();
  EXPECT_TRUE(c_.Modified());
  EXPECT_EQ(c_.NameLabelText(), "Unsaved old");
  EXPECT_EQ(doc_->MapWidth(), 30);
}

TEST_F(MainCommandsTest, BatchLeavesTheMapAloneAndCounts) {
  doc_->PushUndo();
  doc_->SetLight(4, 4, 2);
  doc_->CloseAction();
  c_.SetModified(true);
  std::vector<std::string> files = {SavedMap("a.map", 1), dir_.File("none.map"),
                                    SavedMap("b.map", 1)};
  q_.OpenNameLists = {files};
  c_.OldFromatBatchConvert1Click();
  EXPECT_EQ(q_.Messages.back(), "Conversion is complete!\n2 converted, 1 skipped, 0 failed.");
  EXPECT_EQ(q_.ProgressCalls, 0);
  EXPECT_EQ(doc_->Cell(4, 4).Light, 2);
  EXPECT_EQ(doc_->UndoCount(), 1);
  EXPECT_TRUE(c_.Modified());

  files.push_back(SavedMap("c.map", 1));
  files.push_back(SavedMap("d.map", 1));
  q_.OpenNameLists = {files};
  q_.StopProgressAfter = 1;  // the start goes on; stop after the first file
  c_.OldFromatBatchConvert1Click();
  EXPECT_EQ(q_.Messages.back(), "Conversion stopped: 1 converted, 0 skipped, 0 failed.");

  q_.Messages.clear();
  c_.OldFromatBatchConvert1Click();  // the dialog cancelled: no message
  EXPECT_TRUE(q_.Messages.empty());
}

TEST_F(MainCommandsTest, ExportFailureIsReported) {
  c_.SaveToBitmap1Click();
  EXPECT_EQ(window_.Exports, std::vector<std::string>{"map.bmp"});
  EXPECT_TRUE(q_.Messages.empty());
  window_.ExportSucceeds = false;
  c_.SaveToBitmap1Click();
  ASSERT_EQ(q_.Messages.size(), 1u);
  EXPECT_NE(q_.Messages[0].find("disk full"), std::string::npos);
  EXPECT_EQ(q_.Messages[0], "cannot write 'map.bmp': disk full");  // the writer's words alone
}

TEST_F(MainCommandsTest, AFailedSaveShowsWhichFileAndWhy) {
  const std::string file = dir_.File("no/such/folder.map");
  doc_->SetMapSize(10, 10);
  c_.SetModified(true);
  q_.SaveNames = {file};
  EXPECT_FALSE(c_.SaveAs1Click());
  EXPECT_EQ(q_.Messages, std::vector<std::string>{"cannot write '" + file + "': the folder '" +
                                                  dir_.File("no/such") + "' does not exist"});
  EXPECT_TRUE(c_.Modified());
  EXPECT_EQ(c_.MapFileName(), "");
}

TEST_F(MainCommandsTest, NameLabelAndTitleName) {
  EXPECT_EQ(c_.NameLabelText(), "Unnamed");
  EXPECT_EQ(c_.TitleName(), "Untitled");
  c_.SetModified(true);
  EXPECT_EQ(c_.NameLabelText(), "Unsaved");
  q_.Replies = {Reply::No};
  q_.OpenNames = {SavedMap("demo.map", 1)};
  c_.Open1Click();
  EXPECT_EQ(c_.NameLabelText(), "demo");
  EXPECT_EQ(c_.TitleName(), "demo.map");
  c_.SetModified(true);
  EXPECT_EQ(c_.NameLabelText(), "Unsaved demo");
  EXPECT_EQ(c_.TitleName(), "demo.map");
}

TEST_F(MainCommandsTest, AShortMapOpensAndSaysHowMuchWasRead) {
  const std::string file = SavedMap("short.map", 4);  // 30 x 20: 240 bytes a column
  std::vector<std::uint8_t> bytes = test::ReadFileBytes(file);
  bytes.resize(kMapHeaderSize + 3 * 240 + 100);  // three columns and part of the fourth
  test::WriteFileBytes(file, bytes);
  q_.OpenNames = {file};
  c_.Open1Click();
  EXPECT_EQ(doc_->MapWidth(), 30);
  EXPECT_EQ(doc_->Cell(0, 0).Light, 4);
  EXPECT_EQ(c_.MapFileName(), file);
  EXPECT_EQ(q_.Messages, std::vector<std::string>{"'" + file +
                                                  "' is shorter than its header says: 3 of 30 "
                                                  "columns were read; the rest is empty"});

  q_.Messages.clear();
  q_.OpenNames = {file};
  c_.OpenOldFormatFile1Click();
  EXPECT_EQ(q_.Messages.size(), 1u);
}

TEST_F(MainCommandsTest, ARefusedMapSaysWhyAndChangesNothing) {
  doc_->SetLight(5, 5, 1);
  test::WriteFileBytes(dir_.File("tiny.map"), std::vector<std::uint8_t>(12, 0));
  test::WriteFileBytes(dir_.File("huge.map"), std::vector<std::uint8_t>(kMapHeaderSize, 0));
  test::PatchFile(dir_.File("huge.map"), 0, {0xD0, 0x07, 0xD0, 0x07});  // 2000 x 2000
  q_.OpenNames = {dir_.File("tiny.map"), dir_.File("huge.map")};
  c_.Open1Click();
  c_.Open1Click();
  EXPECT_EQ(q_.Messages,
            (std::vector<std::string>{
                "cannot open '" + dir_.File("tiny.map") +
                    "': not a map file: the header is 12 bytes, not 52",
                "cannot open '" + dir_.File("huge.map") +
                    "': 2000 x 2000 cells is larger than the 1011 x 1011 the editor holds"}));
  EXPECT_EQ(doc_->Cell(5, 5).Light, 1);
  EXPECT_EQ(c_.MapFileName(), "");
}

class SaveOverTest : public MainCommandsTest {
 protected:
  // The replace question for `name`, as the commands ask it.
  static std::string Replace(const std::string& name) {
    return "\"" + name + "\" already exists.\nDo you want to replace it?";
  }
  void Open(const std::string& file) {
    q_.OpenNames = {file};
    c_.Open1Click();
    ASSERT_EQ(c_.MapFileName(), file);
    q_.Asked.clear();
  }
};

TEST_F(SaveOverTest, TheMapsOwnFileIsNotAskedAboutAgain) {
  const std::string own = SavedMap("own.map", 1);
  Open(own);
  doc_->SetLight(1, 1, 3);
  c_.SetModified(true);
  q_.SaveNames = {own, own};
  EXPECT_TRUE(c_.SaveAs1Click());
  EXPECT_FALSE(c_.Modified());
  // The save put a new file in place; it is still the map's own.
  EXPECT_TRUE(c_.SaveAs1Click());
  EXPECT_EQ(q_.Asked, std::vector<std::string>(2, "save dialog"));

  // Another way to the same file is the same file.
  q_.Asked.clear();
  q_.SaveNames = {dir_.Path() + "/./own.map"};
  EXPECT_TRUE(c_.SaveAs1Click());
  EXPECT_EQ(q_.Asked, std::vector<std::string>{"save dialog"});
}

TEST_F(SaveOverTest, AnyOtherExistingFileIsAskedAboutAndNoGoesBackToTheDialog) {
  const std::string own = SavedMap("own.map", 1);
  const std::string other = SavedMap("other.map", 7);
  Open(own);
  q_.SaveNames = {other, std::nullopt};
  EXPECT_FALSE(c_.SaveAs1Click());  // No, then the dialog cancelled
  EXPECT_EQ(q_.Asked,
            (std::vector<std::string>{"save dialog", Replace("other.map"), "save dialog"}));
  EXPECT_EQ(q_.SaveStartedAt, (std::vector<std::string>{own, other}));
  auto check = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*check, other));
  EXPECT_EQ(check->Cell(0, 0).Light, 7);

  q_.Asked.clear();
  q_.SaveNames = {other};
  q_.YesNoReplies = {true};
  EXPECT_TRUE(c_.SaveAs1Click());
  EXPECT_EQ(c_.MapFileName(), other);
  ASSERT_TRUE(LoadMap(*check, other));
  EXPECT_EQ(check->Cell(0, 0).Light, 1);
  // The map now belongs to the file it was saved to, and no longer to the one it came from.
  q_.Asked.clear();
  q_.SaveNames = {other, own};
  EXPECT_TRUE(c_.SaveAs1Click());
  EXPECT_FALSE(c_.SaveAs1Click());
  EXPECT_EQ(q_.Asked, (std::vector<std::string>{"save dialog", "save dialog", Replace("own.map"),
                                                "save dialog"}));
}

TEST_F(SaveOverTest, AFileReplacedMeanwhileIsAskedAbout) {
  const std::string own = SavedMap("own.map", 1);
  Open(own);
  SavedMap("own.map", 2);  // another program put a new file in its place
  q_.SaveNames = {own};
  q_.YesNoReplies = {true};
  EXPECT_TRUE(c_.SaveAs1Click());
  EXPECT_EQ(q_.Asked, (std::vector<std::string>{"save dialog", Replace("own.map")}));
}

TEST_F(SaveOverTest, SegmentModeAndNewMapsAlwaysAsk) {
  const std::string own = SavedMap("own.map", 1);
  Open(own);
  c_.SetSegmentMode(true);  // the name still belongs to the map opened before the segments
  q_.SaveNames = {own};
  EXPECT_FALSE(c_.SaveAs1Click());
  EXPECT_EQ(q_.Asked, (std::vector<std::string>{"save dialog", Replace("own.map"), "save dialog"}));
  c_.SetSegmentMode(false);

  Open(own);
  q_.SizeTexts = {std::pair{std::string("10"), std::string("10")}};
  c_.New1Click();
  q_.Asked.clear();
  q_.SaveNames = {own};
  EXPECT_FALSE(c_.SaveAs1Click());
  EXPECT_EQ(q_.Asked[1], Replace("own.map"));
}

}  // namespace
}  // namespace hl

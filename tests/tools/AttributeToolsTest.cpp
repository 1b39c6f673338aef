#include <gtest/gtest.h>

#include <memory>

#include "app/ScriptedQuestions.h"
#include "tools/AttributeTools.h"

namespace hl {
namespace {

struct CountingRedraw : RedrawSink {
  int Calls = 0;
  void RedrawCells(int, int, int, int) override { ++Calls; }
  void RedrawCellObject(int, int) override { ++Calls; }
};

class AttributeToolsTest : public ::testing::Test {
 protected:
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  test::ScriptedQuestions q_;
  CountingRedraw redraw_;
  AttributeTools tools_{*doc_, redraw_, q_};
};

TEST_F(AttributeToolsTest, LightStoresWhatIsTypedFromZeroTo255) {
  // The label's 0..4 is a hint: 7 is stored as typed, and so are the byte's ends.
  q_.LightTexts = {"7", "255", " 0 "};
  for (int expected : {7, 255, 0}) {
    tools_.EditCellLight(2, 2);
    EXPECT_EQ(doc_->Cell(2, 2).Light, expected);
  }
  EXPECT_EQ(q_.LightShown, (std::vector<std::string>{"0", "7", "255"}));
  EXPECT_EQ(redraw_.Calls, 3);
  EXPECT_TRUE(q_.Refusals.empty());
  tools_.EditCellLight(999, 0);  // outside the cells the accessors reach: no dialog
  EXPECT_EQ(q_.LightShown.size(), 3u);
}

TEST_F(AttributeToolsTest, LightRefusesWhatWouldNotBeStoredAsTyped) {
  doc_->SetLight(2, 2, 3);
  // Each refusal leaves the dialog open; the text typed next is taken.
  q_.LightTexts = {"-1", "abc", "256", "", "1.5", "4"};
  tools_.EditCellLight(2, 2);
  EXPECT_EQ(doc_->Cell(2, 2).Light, 4);
  const std::string range = "The light value must be a whole number from 0 to 255";
  EXPECT_EQ(q_.Refusals, (std::vector<std::string>{
                             range + ", not \"-1\".", range + ", not \"abc\".",
                             range + ", not \"256\".", range + ".", range + ", not \"1.5\"."}));
  EXPECT_EQ(q_.LightShown.size(), 1u);

  // Refused and then closed, or cancelled: the cell stays as it was and is not redrawn.
  const int redraws = redraw_.Calls;
  q_.LightTexts = {"300"};
  tools_.EditCellLight(2, 2);
  q_.LightTexts = {std::nullopt};
  tools_.EditCellLight(2, 2);
  EXPECT_EQ(doc_->Cell(2, 2).Light, 4);
  EXPECT_EQ(redraw_.Calls, redraws);
}

TEST_F(AttributeToolsTest, AltEditsOnlyExistingLights) {
  tools_.EditExistingLight(3, 3);
  EXPECT_EQ(q_.Beeps, 1);
  EXPECT_TRUE(q_.LightShown.empty());
  doc_->SetLight(3, 3, 2);
  q_.LightTexts = {"4"};
  tools_.EditExistingLight(3, 3);
  EXPECT_EQ(doc_->Cell(3, 3).Light, 4);
}

TEST_F(AttributeToolsTest, DoorDialogShowsTheFlagAndChangesOnlyOnOk) {
  doc_->SetCell(4, 4, TMapCell{0, 0, 0, 133, 9, 0, 0, 0, 0});
  q_.DoorAnswers = {Questions::DoorTexts{true, "5", "9"}, std::nullopt,
                    Questions::DoorTexts{false, "x", "300"}};
  tools_.EditCellDoor(4, 4);
  ASSERT_EQ(q_.DoorShown.size(), 1u);
  EXPECT_TRUE(q_.DoorShown[0].Door);
  EXPECT_EQ(q_.DoorShown[0].Index, "5");
  EXPECT_EQ(doc_->Cell(4, 4).Door, 133);
  EXPECT_EQ(redraw_.Calls, 1);  // the label shows at once
  tools_.EditCellDoor(4, 4);    // closed without Ok
  EXPECT_EQ(doc_->Cell(4, 4).Door, 133);
  EXPECT_EQ(redraw_.Calls, 1);
  // Refused ("x" and 300), then closed.
  tools_.EditCellDoor(4, 4);
  EXPECT_EQ(doc_->Cell(4, 4).Door, 133);
  EXPECT_EQ(doc_->Cell(4, 4).DoorOffset, 9);
  EXPECT_EQ(q_.Refusals, std::vector<std::string>{
                             "The door index must be a whole number from 0 to 127, not \"x\".\n"
                             "The door offset must be a whole number from 0 to 255, not \"300\"."});
}

TEST_F(AttributeToolsTest, DoorIndexAndOffsetAreStoredAsTypedOrRefused) {
  // 128 would set the core flag, 100000 would wrap to 160, "zz" would be 0.
  q_.DoorAnswers = {Questions::DoorTexts{false, "128", "0"},
                    Questions::DoorTexts{false, "5", "100000"},
                    Questions::DoorTexts{false, "zz", "1"}, Questions::DoorTexts{false, "5", "-1"},
                    Questions::DoorTexts{false, "127", "255"}};
  tools_.EditCellDoor(4, 4);
  EXPECT_EQ(doc_->Cell(4, 4).Door, 127);
  EXPECT_EQ(doc_->Cell(4, 4).DoorOffset, 255);
  ASSERT_EQ(q_.Refusals.size(), 4u);
  EXPECT_EQ(q_.Refusals[0], "The door index must be a whole number from 0 to 127, not \"128\".");
  EXPECT_EQ(q_.Refusals[1],
            "The door offset must be a whole number from 0 to 255, not \"100000\".");
  // The core flag comes from the check box alone.
  q_.DoorAnswers = {Questions::DoorTexts{true, "0", "0"}};
  tools_.EditCellDoor(4, 4);
  EXPECT_EQ(doc_->Cell(4, 4).Door, 128);
  EXPECT_EQ(doc_->Cell(4, 4).DoorOffset, 0);
}

TEST_F(AttributeToolsTest, FillMarksTheWholeRegionOnce) {
  doc_->SetMapSize(100, 100);
  int counter = 0;
  EXPECT_EQ(tools_.FillMarks(50, 50, {false, false, false, true}, counter), 10000);
  EXPECT_NE(doc_->Cell(0, 99).BackTile & 0x8000, 0);
  EXPECT_EQ(doc_->Cell(100, 0).BackTile, 0);
  counter = 0;
  EXPECT_EQ(tools_.FillMarks(50, 50, {false, false, false, true}, counter), 0);
  // Both buttons: FrontMark decides, and both marks are set.
  counter = 0;
  EXPECT_EQ(tools_.FillMarks(1, 1, {false, false, false, true, true}, counter), 10000);
  EXPECT_NE(doc_->Cell(7, 7).ObjectImage & 0x8000, 0);
  counter = 0;
  EXPECT_EQ(tools_.FillMarks(1, 1, {false, false, false, false, false, true}, counter), 0);
}

TEST_F(AttributeToolsTest, FillStopsAt65535Cells) {
  doc_->SetMapSize(300, 300);
  int counter = 0;
  EXPECT_EQ(tools_.FillMarks(0, 0, {false, false, false, true}, counter), 65535);
  EXPECT_EQ(counter, 65535);
}

TEST_F(AttributeToolsTest, BrushPaintsAndClearsSquares) {
  EXPECT_TRUE(tools_.PaintMarks(10, 10, 1, {true}));
  for (int x = 8; x <= 12; ++x) {
    for (int y = 8; y <= 12; ++y) EXPECT_NE(doc_->Cell(x, y).ObjectImage & 0x8000, 0);
  }
  EXPECT_EQ(doc_->Cell(13, 10).ObjectImage, 0);
  EXPECT_FALSE(tools_.PaintMarks(10, 10, 1, {true}));               // nothing new
  EXPECT_TRUE(tools_.PaintMarks(10, 10, 1, {false, false, true}));  // Ctrl clears one
  EXPECT_EQ(doc_->Cell(10, 10).ObjectImage, 0);
  EXPECT_FALSE(tools_.PaintMarks(10, 10, 2, {true}));
  EXPECT_TRUE(tools_.PaintMarks(0, 0, 0, {true}));  // cells outside are skipped
  EXPECT_NE(doc_->Cell(0, 0).BackTile & 0x8000, 0);
}

TEST_F(AttributeToolsTest, MovingAnImageTakesItsLibraryAndAnimation) {
  doc_->SetCell(3, 3, TMapCell{0, 0, 0x8000 | 5, 0, 0, 0x83, 9, 2, 0});
  doc_->SetCell(3, 6, TMapCell{0, 0, 0x0007, 0, 0, 0, 0, 4, 0});
  doc_->SetCell(3, 995, TMapCell{0, 0, 5, 0, 0, 0, 0, 0, 0});  // beyond row 990: stays
  bool changed = false;
  ASSERT_TRUE(MoveObjectImage(*doc_, 4, 3, &changed));
  EXPECT_TRUE(changed);
  EXPECT_EQ(doc_->Cell(3, 3), (TMapCell{0, 0, 0x8000, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(doc_->Cell(3, 6), (TMapCell{0, 0, 5, 0, 0, 0x83, 9, 2, 0}));
  EXPECT_EQ(doc_->Cell(3, 995).ObjectImage, 5);
  EXPECT_EQ(doc_->UndoCount(), 1);

  ASSERT_TRUE(MoveObjectImage(*doc_, 4, 0, &changed));
  EXPECT_FALSE(changed);
  EXPECT_EQ(doc_->UndoCount(), 1);  // nothing moved: no step
  EXPECT_FALSE(MoveObjectImage(*doc_, 4, 10, &changed));
  EXPECT_FALSE(MoveObjectImage(*doc_, 4, -1, &changed));
  EXPECT_FALSE(MoveObjectImage(*doc_, -1, 3, &changed));
  EXPECT_EQ(doc_->UndoCount(), 1);

  doc_->SetCell(999, 999, TMapCell{0, 0, 0x8001, 0, 0, 0, 0, 3, 0});
  ASSERT_TRUE(DeleteObjectImage(*doc_, 0, &changed));
  EXPECT_TRUE(changed);
  EXPECT_EQ(doc_->Cell(999, 999).ObjectImage, 0x8000);
  EXPECT_FALSE(DeleteObjectImage(*doc_, -1, &changed));
}

}  // namespace
}  // namespace hl

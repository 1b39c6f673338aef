#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "app/ScriptedQuestions.h"
#include "objects/SetCells.h"
#include "tools/ObjectTools.h"

namespace hl {
namespace {

struct RecordingRedraw : RedrawSink {
  std::vector<std::vector<int>> Cells;
  int Objects = 0;
  void RedrawCells(int x, int y, int w, int h) override { Cells.push_back({x, y, w, h}); }
  void RedrawCellObject(int, int) override { ++Objects; }
};

using test::Record;

class ObjectToolsTest : public ::testing::Test {
 protected:
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  test::ScriptedQuestions q_;
  RecordingRedraw redraw_;
  ObjectTools tools_{*doc_, redraw_, q_};
  const MouseState none_{};
  const MouseState ctrl_{false, false, true, true};
  const MouseState alt_{false, true, false, true};
};

TEST_F(ObjectToolsTest, ObjectIndexSplitsIntoLibraryAndImage) {
  tools_.PlaceObject(3, 3, 70000, none_);
  EXPECT_EQ(doc_->Cell(3, 3).ObjectImage, 4466);
  EXPECT_EQ(doc_->Cell(3, 3).ObjectLib, 1);
  EXPECT_EQ(redraw_.Objects, 1);
  tools_.PlaceObject(5, 5, -1, none_);  // nothing picked
  EXPECT_EQ(doc_->Cell(5, 5), TMapCell{});
}

TEST_F(ObjectToolsTest, ImagesNoCellCanHoldAreRefused) {
  // 65,534 + 1 would wrap round to no object of library 1, 32,767 + 1 would run into the
  // FrontMark bit: neither is placed, and Ctrl flips no mark for them.
  doc_->SetMarks(4, 4, 2);
  for (int index : {65534, ObjectIndex::Make(2, 65534), ObjectIndex::Make(0, 32767),
                    ObjectIndex::Make(1, 40000)}) {
    tools_.PlaceObject(4, 4, index, none_);
    tools_.PlaceObject(4, 4, index, ctrl_);
  }
  EXPECT_EQ(doc_->Cell(4, 4).ObjectImage, 0x8000);
  EXPECT_EQ(doc_->Cell(4, 4).ObjectLib, 0);
  EXPECT_EQ(redraw_.Objects, 0);

  // Whatever the tool does place shows an object and reads back as the index placed.
  for (int library : {0, 1, 19, 255}) {
    for (int image : {0, 1, 32766, 32767, 65533, 65534}) {
      const int index = ObjectIndex::Make(library, image);
      doc_->SetCell(0, 0, TMapCell{});
      tools_.PlaceObject(0, 0, index, none_);
      const TMapCell& c = doc_->Cell(0, 0);
      const int number = c.ObjectImage & kNumberBits;
      EXPECT_EQ(c != TMapCell{}, ObjectIndex::FitsCell(index)) << index;
      if (c == TMapCell{}) continue;
      EXPECT_NE(number, 0) << index;
      EXPECT_EQ(ObjectIndex::FromCell(c.ObjectLib, number), index);
    }
  }
}

TEST_F(ObjectToolsTest, CtrlInvertsTheMarkAndAltKeepsIt) {
  tools_.PlaceObject(6, 6, 5, ctrl_);
  EXPECT_EQ(doc_->Cell(6, 6).ObjectImage, 0x8006);
  tools_.PlaceObject(6, 6, 5, ctrl_);
  EXPECT_EQ(doc_->Cell(6, 6).ObjectImage, 0x0006);
  tools_.PlaceObject(6, 6, 5, ctrl_);
  tools_.PlaceObject(6, 6, 5, alt_);  // removes the object, keeps the mark
  EXPECT_EQ(doc_->Cell(6, 6).ObjectImage, 0x8000);
  EXPECT_EQ(doc_->Cell(6, 6).ObjectLib, 0);
  tools_.PlaceObject(999, 2, 5, ctrl_);  // outside the cells the accessors reach
  EXPECT_EQ(doc_->Cell(999, 2), TMapCell{});
}

TEST_F(ObjectToolsTest, SetTilesLandOnTheEvenCellAndTheRestOnTheClickedOne) {
  TObjectSet set = {Record(0, 0, 10, 42)};
  set[0].Marks = 1;
  set[0].AniFrame = 4;
  set[0].Alpha = 1;
  set[0].AniTick = 9;
  set[0].Light = 3;
  set[0].Door = 0x85;
  set[0].DoorOffset = 2;
  doc_->SetMarks(4, 6, 1);  // the whole BackTile is replaced, mark included
  ASSERT_TRUE(tools_.PlaceObjectSet(5, 7, &set));
  EXPECT_EQ(doc_->Cell(4, 6).BackTile, 11);
  EXPECT_EQ(doc_->Cell(5, 7).BackTile, 0x8000);  // the record's BackMark
  const TMapCell& c = doc_->Cell(5, 7);
  EXPECT_EQ(c.ObjectImage, 43);
  EXPECT_EQ(c.AniFrame, 0x84);
  EXPECT_EQ(c.AniTick, 9);
  EXPECT_EQ(c.Light, 3);
  EXPECT_EQ(c.Door, 0x85);
  EXPECT_EQ(c.DoorOffset, 2);
  EXPECT_EQ(redraw_.Cells, (std::vector<std::vector<int>>{{4, 6, 1, 1}}));
}

TEST_F(ObjectToolsTest, ZeroLightAndDoorLeaveTheCellsOwn) {
  doc_->SetLight(2, 2, 6);
  TObjectSet set = {Record(0, 0, -1, -1)};
  ASSERT_TRUE(tools_.PlaceObjectSet(2, 2, &set));
  EXPECT_EQ(doc_->Cell(2, 2).Light, 6);
  EXPECT_FALSE(tools_.PlaceObjectSet(2, 2, nullptr));
}

TEST_F(ObjectToolsTest, CollisionRefusesTheWholeSetWithABeep) {
  tools_.PutObject(11, 10, 1);
  TObjectSet set = {Record(0, 0, 3, 7), Record(1, 0, -1, 8)};
  EXPECT_FALSE(tools_.PlaceObjectSet(10, 10, &set));
  EXPECT_EQ(q_.Beeps, 1);
  EXPECT_EQ(doc_->Cell(10, 10), TMapCell{});
  // A tile-only record on an occupied cell collides with nothing.
  TObjectSet tiles = {Record(1, 0, 3, -1)};
  EXPECT_TRUE(tools_.PlaceObjectSet(10, 10, &tiles));
  EXPECT_EQ(q_.Beeps, 1);
}

TEST_F(ObjectToolsTest, SetRecordsOffTheStorageAreSkipped) {
  TObjectSet set = {Record(-3, 0, 1, 1), Record(0, 0, -1, 2), Record(20, 0, 5, 3)};
  set[2].Light = 4;
  ASSERT_TRUE(tools_.PlaceObjectSet(2, 1000, &set));
  EXPECT_EQ(doc_->Cell(2, 1000).ObjectImage, 0);  // beyond 998: no object
  EXPECT_EQ(doc_->Cell(22, 1000).Light, 4);       // but the storage takes the light
  EXPECT_EQ(doc_->Cell(22, 1000).BackTile, 6);
  // Near the right edge the tile of (-3, 0) lands on (1001, 2); that of (20, 0) would land
  // past the storage and is dropped.
  ASSERT_TRUE(tools_.PlaceObjectSet(1005, 3, &set));
  EXPECT_EQ(doc_->Cell(1001, 2).BackTile, 2);
  EXPECT_EQ(doc_->Cell(1004, 2).BackTile, 0);
}

TEST_F(ObjectToolsTest, UnstorableSetFieldsNeverTouchTheMarks) {
  TObjectSet set = {Record(0, 0, 32767, 32767), Record(1, 0, 40000, INT_MAX),
                    Record(2, 0, 32766, 65535 + 32766), Record(3, 0, -1, 65534),
                    Record(4, 0, -1, ObjectIndex::Make(2, 65534))};
  set[0].Light = 5;
  set[3].Light = 2;
  doc_->SetMarks(20, 20, 3);
  doc_->SetMarks(21, 20, 3);
  doc_->SetMarks(23, 20, 2);
  ASSERT_TRUE(tools_.PlaceObjectSet(20, 20, &set));
  // The last image of a library would wrap round to an empty object of the next one.
  EXPECT_EQ(doc_->Cell(23, 20).ObjectImage, 0x8000);
  EXPECT_EQ(doc_->Cell(23, 20).ObjectLib, 0);
  EXPECT_EQ(doc_->Cell(23, 20).Light, 2);
  EXPECT_EQ(doc_->Cell(24, 20), TMapCell{});
  EXPECT_EQ(doc_->Cell(20, 20).BackTile, 0x8000);  // tile 32767 + 1 is not stored
  EXPECT_EQ(doc_->Cell(20, 20).ObjectImage, 0x8000);
  EXPECT_EQ(doc_->Cell(20, 20).Light, 5);  // the rest of the record is placed
  EXPECT_EQ(doc_->Cell(21, 20).ObjectImage, 0x8000);
  EXPECT_EQ(doc_->Cell(22, 20).BackTile, 0x7FFF);  // the largest numbers that fit
  EXPECT_EQ(doc_->Cell(22, 20).ObjectImage, 0x7FFF);
  EXPECT_EQ(doc_->Cell(22, 20).ObjectLib, 1);
  EXPECT_FALSE(ObjectIndex::FitsCell(255LL * 65535 + 65535));
}

TEST_F(ObjectToolsTest, EraserSquareClearsObjectsOrSmallTiles) {
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 40; ++y)
      doc_->SetCell(x, y, TMapCell{0x8003, 4, 0x8005, 0x81, 2, 3, 4, 1, 6});
  const MouseState shiftCtrl{true, false, true, true};
  ASSERT_TRUE(tools_.EraseCells(20, 20, shiftCtrl));
  int cleared = 0;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 40; ++y) cleared += doc_->Cell(x, y).ObjectImage == 0;
  EXPECT_EQ(cleared, 21 * 21);
  EXPECT_EQ(doc_->Cell(10, 30), (TMapCell{3, 4, 0, 0, 0, 0, 0, 1, 6}));
  EXPECT_EQ(doc_->Cell(9, 30).ObjectImage, 0x8005);
  EXPECT_EQ(redraw_.Cells, (std::vector<std::vector<int>>{{10, 10, 20, 20}}));

  const MouseState all{true, true, true, true};
  ASSERT_TRUE(tools_.EraseCells(5, 5, all));  // small tiles instead, objects kept
  EXPECT_EQ(doc_->Cell(0, 0), (TMapCell{3, 0, 0x8005, 0, 0, 0, 0, 1, 6}));
  EXPECT_EQ(doc_->Cell(15, 15).MiddleTile, 0);
  EXPECT_EQ(doc_->Cell(16, 15).MiddleTile, 4);
  EXPECT_FALSE(tools_.EraseCells(5, 5, all));  // nothing left to clear
  EXPECT_EQ(redraw_.Cells.size(), 2u);
}

TEST_F(ObjectToolsTest, EraserRadiusFollowsTheKeys) {
  doc_->SetCell(3, 3, TMapCell{0x8001, 0, 0x8002, 0, 0, 0, 0, 0, 0});
  doc_->SetCell(4, 4, TMapCell{0x8001, 0, 0x8002, 0, 0, 0, 0, 0, 0});
  ASSERT_TRUE(tools_.EraseCells(3, 3, none_));
  EXPECT_EQ(doc_->Cell(3, 3).BackTile, 0x8001);  // without Ctrl the mark stays
  EXPECT_EQ(doc_->Cell(4, 4).ObjectImage, 0x8002);
  ASSERT_TRUE(tools_.EraseCells(3, 3, ctrl_));
  EXPECT_EQ(doc_->Cell(4, 4), (TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(tools_.EraseCells(1200, 1200, MouseState{true, false, false, true}));
}

}  // namespace
}  // namespace hl

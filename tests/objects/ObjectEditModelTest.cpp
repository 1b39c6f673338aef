#include <gtest/gtest.h>

#include <limits>

#include "objects/ObjectEditModel.h"
#include "objects/SetCells.h"

namespace hl {
namespace {

constexpr int U = ObjectEditModel::kUnchanged;

std::vector<std::pair<int, int>> Positions(const TObjectSet& set) {
  std::vector<std::pair<int, int>> p;
  for (const TSetCell& c : set) p.emplace_back(c.X, c.Y);
  return p;
}

TEST(ObjectEditModel, SecondClickReplacesTheObjectWithoutANewRecentEntry) {
  ObjectEditModel m;
  m.EditCell(2, 3, U, 70, U);
  ASSERT_EQ(m.Cells().size(), 1u);
  EXPECT_EQ(m.Cells()[0].TileIndex, -1);
  m.EditCell(2, 3, U, 71, U);
  EXPECT_EQ(m.Cells().size(), 1u);
  EXPECT_EQ(m.Cells()[0].ObjIndex, 71);
  EXPECT_EQ(m.RecentCount(), 1u);
  m.EditCell(2, 3, U, ObjectEditModel::kNoValue, U);  // no selection: nothing
  EXPECT_EQ(m.Cells()[0].ObjIndex, 71);
}

TEST(ObjectEditModel, RecordsStayOrderedByRow) {
  ObjectEditModel m;
  m.EditCell(5, 2, U, 1, U);
  m.EditCell(0, 1, U, 1, U);
  m.EditCell(3, 2, U, 1, U);
  EXPECT_EQ(Positions(m.Cells()), (std::vector<std::pair<int, int>>{{0, 1}, {5, 2}, {3, 2}}));
}

TEST(ObjectEditModel, UndoTakesBackTheOldestOfTenAdditions) {
  ObjectEditModel m;
  for (int i = 0; i < 11; ++i) m.EditCell(i, 0, U, i, U);
  m.DropOldestRecent();
  const TObjectSet cells = m.Cells();
  ASSERT_EQ(cells.size(), 10u);
  EXPECT_EQ(cells[0].X, 0);  // the first was already forgotten
  EXPECT_EQ(cells[1].X, 2);  // the second is gone
  EXPECT_EQ(cells.back().X, 10);
}

TEST(ObjectEditModel, MarkTogglesAndBothMarks) {
  ObjectEditModel m;
  m.EditCell(1, 1, U, U, 3);
  ASSERT_EQ(m.Cells().size(), 1u);
  EXPECT_EQ(m.Cells()[0].Marks, 3);
  EXPECT_EQ(m.Cells()[0].ObjIndex, -1);
  m.EditCell(1, 1, U, U, 3);
  EXPECT_EQ(m.Cells()[0].Marks, 0);
  m.EditCell(1, 1, U, U, 2);
  EXPECT_EQ(m.Cells()[0].Marks, 2);
}

TEST(ObjectEditModel, ShiftMovesOnlyRecordsWithoutTiles) {
  ObjectEditModel m;
  m.EditCell(2, 2, 40, U, U);
  m.EditCell(3, 3, U, 9, U);
  m.ShiftCells(ObjectEditModel::Direction::Left);
  EXPECT_EQ(Positions(m.Cells()), (std::vector<std::pair<int, int>>{{2, 2}, {2, 3}}));
  m.ShiftCells(ObjectEditModel::Direction::Up);
  EXPECT_EQ(Positions(m.Cells()), (std::vector<std::pair<int, int>>{{2, 2}, {2, 2}}));
  EXPECT_EQ(m.FindCell(2, 2)->ObjIndex, 9);  // the last record there
}

TEST(ObjectEditModel, CoreKeepsTheDoorNumber) {
  ObjectEditModel m;
  m.EditDoor(4, 4, false, 5, 1);
  m.EditDoor(4, 4, true, 0, 2);
  EXPECT_EQ(m.Cells()[0].Door, 5 | 128);
  EXPECT_EQ(m.Cells()[0].DoorOffset, 2);
  m.EditDoor(4, 4, false, 7, 3);
  EXPECT_EQ(m.Cells()[0].Door, 7 | 128);
  m.EditLight(4, 4, 300);
  EXPECT_EQ(m.Cells()[0].Light, 44);
  m.EditDoor(4, 4, false, ObjectEditModel::kNoValue, 3);
  EXPECT_EQ(m.Cells()[0].Door, 7 | 128);
  m.RemoveCell(4, 4);
  EXPECT_TRUE(m.Cells().empty());
  m.DropOldestRecent();  // the removed addition left the recent list too
}

TEST(ObjectEditModel, TilesGoOnlyOnEvenCells) {
  ObjectEditModel m;
  EXPECT_FALSE(m.EditTile(1, 0, 4));
  EXPECT_FALSE(m.EditTile(0, 3, 4));
  EXPECT_FALSE(m.EditTile(-1, 2, 4));  // left of the origin counts the same way
  EXPECT_TRUE(m.Cells().empty());
  EXPECT_TRUE(m.EditTile(0, 0, ObjectEditModel::kNoValue));  // no tile chosen: no refusal
  EXPECT_TRUE(m.Cells().empty());
  EXPECT_TRUE(m.EditTile(-2, 2, 4));
  EXPECT_TRUE(m.EditTile(-2, 2, 6));
  ASSERT_EQ(m.Cells().size(), 1u);
  EXPECT_EQ(m.Cells()[0], test::Record(-2, 2, 6, -1));
  EXPECT_EQ(m.RecentCount(), 1u);
}

TEST(ObjectEditModel, DoorTestAddsTheOffsetsOfTheDoorsOfTheSameCell) {
  TSetCell object = test::Record(0, 0, -1, 10);
  TSetCell door = test::Record(0, 0, -1, -1);
  door.Door = 3;
  door.DoorOffset = 2;
  TSetCell coreOnly = test::Record(0, 0, -1, -1);
  coreOnly.Door = 128;  // the core flag without a door number is no door
  coreOnly.DoorOffset = 50;
  TSetCell coreDoor = test::Record(0, 0, -1, 30);
  coreDoor.Door = 128 | 1;
  coreDoor.DoorOffset = 1;
  TSetCell elsewhere = test::Record(1, 0, -1, 20);
  elsewhere.Door = 1;
  elsewhere.DoorOffset = 7;
  const TObjectSet cells = {object, door, coreOnly, coreDoor, elsewhere};

  EXPECT_EQ(ObjectEditModel::ShownObject(cells, object, false), 10);
  EXPECT_EQ(ObjectEditModel::ShownObject(cells, object, true), 13);
  EXPECT_EQ(ObjectEditModel::ShownObject(cells, coreDoor, true), 33);
  EXPECT_EQ(ObjectEditModel::ShownObject(cells, elsewhere, true), 27);
  EXPECT_EQ(ObjectEditModel::ShownObject(cells, coreOnly, false), -1);
  // A record without an object shows what the offsets lead to.
  EXPECT_EQ(ObjectEditModel::ShownObject(cells, door, true), 2);

  // Any 32-bit object number can come from a set file: the sum wraps instead of overflowing.
  TSetCell last = test::Record(5, 5, -1, std::numeric_limits<std::int32_t>::max());
  last.Door = 1;
  last.DoorOffset = 1;
  EXPECT_EQ(ObjectEditModel::ShownObject({last}, last, true),
            std::numeric_limits<std::int32_t>::min());
}

TEST(ObjectEditModel, TheEditorShowsTheAnimationOfTheFirstRecord) {
  ObjectEditModel m;
  ObjectEditModel::Animation shown = m.ShownAnimation();
  EXPECT_EQ(shown.Frame, 0);
  EXPECT_EQ(shown.Tick, 0);
  EXPECT_FALSE(shown.Alpha);
  // The first record counts, even when a later one is the animated one.
  TObjectSet set = {{0, 0, -1, 5, 0, 9, 0, 0, 0, 0, 0}, {1, 0, -1, 6, 4, 2, 1, 0, 0, 0, 0}};
  m.LoadCells(&set);
  shown = m.ShownAnimation();
  EXPECT_EQ(shown.Frame, 0);
  EXPECT_EQ(shown.Tick, 9);
  EXPECT_FALSE(shown.Alpha);
  m.ApplyAnimation(5, 6, true);
  shown = m.ShownAnimation();
  EXPECT_EQ(shown.Frame, 5);
  EXPECT_EQ(shown.Tick, 6);
  EXPECT_TRUE(shown.Alpha);
}

TEST(ObjectEditModel, OkWritesTheShownAnimationIntoEveryRecord) {
  TObjectSet set = {{0, 0, -1, 5, 3, 7, 1, 0, 0, 0, 0}, {1, 0, -1, 6, 9, 2, 0, 0, 0, 0, 0}};
  ObjectEditModel m;
  m.LoadCells(&set);
  EXPECT_EQ(m.RecentCount(), 0u);
  m.ApplyAnimation(3, 7, true);
  for (const TSetCell& c : m.Cells()) {
    EXPECT_EQ(c.AniFrame, 3);
    EXPECT_EQ(c.AniTick, 7);
    EXPECT_EQ(c.Alpha, 1);
  }
  m.ApplyAnimation(-1, 0, false);  // a negative frame leaves them
  EXPECT_EQ(m.Cells()[1].AniFrame, 3);
  TObjectSet out;
  m.StoreCells(out);
  EXPECT_EQ(out.size(), 2u);
  m.ClearCells();
  EXPECT_TRUE(m.Cells().empty());
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <vector>

#include "map/MapDocument.h"

namespace hl {
namespace {

constexpr int kSide = kStorageSide;

// A whole copy of the storage, the way the history would keep it if it copied everything.
std::vector<TMapCell> WholeCopy(const MapDocument& doc) {
  std::vector<TMapCell> cells(static_cast<std::size_t>(kSide) * kSide);
  for (int x = 0; x < kSide; ++x) {
    std::memcpy(&cells[static_cast<std::size_t>(x) * kSide], doc.Cells().ColumnAt(x).data(),
                CellStorage::kColumnBytes);
  }
  return cells;
}

class UndoTest : public ::testing::Test {
 protected:
  void TearDown() override { CellStorage::LimitColumnAllocations(-1); }
  // One whole action that sets a light.
  void Light(int x, int value, const char* name = "Set Light Effect") {
    d().PushUndo(name);
    d().SetLight(x, 0, value);
    d().CloseAction();
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  MapDocument& d() { return *doc_; }
};

TEST_F(UndoTest, KeepsTheNewestStepsUpToTheLimit) {
  EXPECT_EQ(d().UndoLimit(), 100);
  d().SetUndoLimit(3);
  EXPECT_EQ(d().UndoLimit(), MapDocument::kMinUndo);
  d().SetUndoLimit(5000);
  EXPECT_EQ(d().UndoLimit(), MapDocument::kMaxUndo);
  for (int i = 1; i <= 120; ++i) Light(0, i);
  EXPECT_EQ(d().UndoCount(), 120);

  d().SetUndoLimit(10);  // lowering the limit lets the oldest go at once
  EXPECT_EQ(d().UndoCount(), 10);
  for (int expected = 119; expected >= 110; --expected) {
    d().PopUndo();
    EXPECT_EQ(d().Cell(0, 0).Light, expected);
  }
  EXPECT_EQ(d().UndoCount(), 0);
  d().PopUndo();  // the older states were let go
  EXPECT_EQ(d().Cell(0, 0).Light, 110);
}

TEST_F(UndoTest, AnActionIsOneStepHoweverManyEditsItHas) {
  d().PushUndo("Draw Big Tiles");
  for (int i = 0; i < 200; ++i) {
    d().ContinueAction("ignored: the stroke already has a name");
    d().SetBackTile(i, i, i + 1);
  }
  EXPECT_TRUE(d().ActionOpen());
  EXPECT_EQ(d().UndoCount(), 0);
  EXPECT_TRUE(d().CloseAction());
  EXPECT_EQ(d().UndoCount(), 1);
  EXPECT_EQ(d().UndoName(), "Draw Big Tiles");
  d().PopUndo();
  for (int i = 0; i < 200; ++i) EXPECT_EQ(d().Cell(i, i).BackTile, 0) << i;
  EXPECT_EQ(d().RedoName(), "Draw Big Tiles");
}

TEST_F(UndoTest, ActionsThatChangeNothingLeaveNoStep) {
  Light(3, 2);
  d().PushUndo("nothing");
  d().CloseAction();
  d().PushUndo("same value");
  d().SetLight(3, 0, 2);  // written, but as it was
  d().CloseAction();
  d().PushUndo("there and back");
  d().SetLight(5, 0, 1);
  d().SetLight(5, 0, 0);
  EXPECT_FALSE(d().CloseAction());
  d().PushUndo("same size");
  d().SetMapSize(d().MapWidth(), d().MapHeight());
  d().CloseAction();
  EXPECT_EQ(d().UndoCount(), 1);
  EXPECT_EQ(d().UndoName(), "Set Light Effect");

  // Nothing happened, so what could be redone stays.
  d().PopUndo();
  d().PushUndo("nothing");
  d().CloseAction();
  EXPECT_EQ(d().RedoCount(), 1);
  Light(4, 1, "Update Doors");  // a real step ends the redo
  EXPECT_EQ(d().RedoCount(), 0);
}

TEST_F(UndoTest, PushingClosesTheOpenActionAndPopClosesItFirst) {
  d().PushUndo("first");
  d().SetLight(1, 1, 1);
  d().PushUndo("second");
  d().SetLight(2, 2, 2);
  EXPECT_EQ(d().UndoCount(), 1);
  d().PopUndo();  // the open second action is a step of its own and goes first
  EXPECT_EQ(d().Cell(2, 2).Light, 0);
  EXPECT_EQ(d().Cell(1, 1).Light, 1);
  EXPECT_EQ(d().UndoName(), "first");
}

TEST_F(UndoTest, PopAsksForRepaintOnlyWhenSomethingWasRestored) {
  int repaints = 0;
  d().SetRepaintHandler([&] { ++repaints; });
  d().PopUndo();
  d().PushUndo();
  d().PopUndo();  // the action changed nothing: no step to take back
  EXPECT_EQ(repaints, 0);
  Light(0, 1);
  d().PopUndo();
  EXPECT_EQ(repaints, 1);
  d().Redo();
  EXPECT_EQ(repaints, 2);
}

TEST_F(UndoTest, AResizeStepRestoresTheSizeOtherStepsKeepIt) {
  d().SetBackTile(150, 150, 3);
  d().PushUndo("Resize");
  d().SetMapSize(100, 120);
  d().CloseAction();
  Light(50, 9);
  // A size set outside any action (a new map) is no step; undoing older steps keeps it.
  d().SetMapSize(90, 80);
  d().PopUndo();
  EXPECT_EQ(d().Cell(50, 0).Light, 0);
  EXPECT_EQ(d().MapWidth(), 90);
  d().PopUndo();
  EXPECT_EQ(d().MapWidth(), 200);
  EXPECT_EQ(d().MapHeight(), 200);
  EXPECT_EQ(d().Cell(150, 150).BackTile, 3);
  d().Redo();
  EXPECT_EQ(d().MapWidth(), 100);
  EXPECT_EQ(d().MapHeight(), 120);
}

TEST_F(UndoTest, RestoresExactlyAfterManyInterleavedEditsUndosAndRedos) {
  std::mt19937 rng(20261207);
  std::vector<std::vector<TMapCell>> undo, redo;  // whole copies, oldest first
  auto anyCell = [&] { return static_cast<int>(rng() % kSide); };
  auto edit = [&] {
    switch (rng() % 6) {
      case 0: {
        // A whole column rewritten, as a loader or a map shift does.
        auto& column = d().WritableColumn(anyCell());
        for (auto& c : column) c.MiddleTile = static_cast<std::uint16_t>(rng());
        break;
      }
      case 1:
        d().ClearMap();
        break;
      default:
        for (int k = 0; k < 20; ++k) {
          const int x = anyCell(), y = anyCell();
          switch (rng() % 4) {
            case 0:
              d().SetBackTileBlock(x & ~1, y & ~1, static_cast<int>(rng() % 3000));
              break;
            case 1:
              d().SetObject(x, y, static_cast<int>(rng() % (20 * 65535)));
              break;
            case 2:
              d().SetMarks(x, y, static_cast<int>(rng() % 4));
              break;
            default:
              d().SetCell(x, y, TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9});
              break;
          }
        }
    }
  };
  d().SetUndoLimit(10);
  for (int step = 0; step < 100; ++step) {
    const auto action = rng() % 10;
    if (action < 5) {
      auto before = WholeCopy(d());
      d().PushUndo("edit");
      const int edits = static_cast<int>(rng() % 3);
      for (int e = 0; e < edits; ++e) edit();
      d().CloseAction();
      if (WholeCopy(d()) != before) {
        if (undo.size() == 10) undo.erase(undo.begin());
        undo.push_back(std::move(before));
        redo.clear();
      }
    } else if (action < 8) {
      auto now = WholeCopy(d());
      d().PopUndo();
      if (!undo.empty()) {
        ASSERT_EQ(WholeCopy(d()), undo.back()) << "step " << step;
        undo.pop_back();
        redo.push_back(std::move(now));
      }
    } else {
      auto now = WholeCopy(d());
      d().Redo();
      if (!redo.empty()) {
        ASSERT_EQ(WholeCopy(d()), redo.back()) << "step " << step;
        redo.pop_back();
        undo.push_back(std::move(now));
      }
    }
    ASSERT_EQ(d().UndoCount(), static_cast<int>(undo.size())) << "step " << step;
    ASSERT_EQ(d().RedoCount(), static_cast<int>(redo.size())) << "step " << step;
  }
  while (!undo.empty()) {
    d().PopUndo();
    ASSERT_EQ(WholeCopy(d()), undo.back());
    undo.pop_back();
  }
}

TEST_F(UndoTest, StepsKeepOnlyTheColumnsTheyChanged) {
  for (int i = 0; i < 10; ++i) {
    d().PushUndo();
    d().SetObject(i * 97, i * 31, i + 1);
    d().CloseAction();
  }
  EXPECT_LE(d().UndoMemoryBytes(), 2u << 20);
  // Ten edited columns are all the history holds of cells of its own.
  EXPECT_GE(d().UndoMemoryBytes(), 10 * CellStorage::kColumnBytes);
}

TEST_F(UndoTest, TheOldestStepsGoWhenTheirMemoryPassesTheBudget) {
  // Room for three steps of two columns each and their column tables.
  const std::size_t step = 2 * CellStorage::kColumnBytes + sizeof(CellStorage);
  d().SetUndoMemoryBudget(3 * step + step / 2);
  // Columns with cells of their own, which the steps keep (empty ones would cost nothing).
  for (int x = 0; x < 12; ++x) d().SetLight(x, 5, 1);
  for (int i = 0; i < 6; ++i) {
    d().PushUndo();
    d().SetLight(2 * i, 0, 1);
    d().SetLight(2 * i + 1, 0, 1);
    d().CloseAction();
  }
  EXPECT_EQ(d().UndoCount(), 3);
  EXPECT_LE(d().UndoMemoryBytes(), 3 * step + step / 2);
  for (int i = 0; i < 3; ++i) d().PopUndo();
  EXPECT_EQ(d().Cell(5, 0).Light, 1);  // the fourth step and older were let go
  EXPECT_EQ(d().Cell(6, 0).Light, 0);
}

TEST_F(UndoTest, OpeningAnActionNeverNeedsMemory) {
  CellStorage::LimitColumnAllocations(0);
  for (int i = 0; i < 12; ++i) d().PushUndo();
  EXPECT_TRUE(d().ActionOpen());
  EXPECT_FALSE(d().CloseAction());
}

TEST_F(UndoTest, OutOfMemoryGivesUpOldStatesButNeverTheEdit) {
  d().SetCell(5, 0, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});  // column 5 holds cells of its own
  Light(0, 1);
  Light(0, 2);
  Light(0, 3);
  d().PopUndo();  // something to redo as well
  // Column 0 is shared with the newest state only; column 5 with all of them.
  CellStorage::LimitColumnAllocations(0);
  d().PushUndo();
  d().SetCell(5, 5, TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(d().Cell(5, 5), (TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_FALSE(d().CloseAction());  // even the open action's snapshot had to go
  EXPECT_EQ(d().UndoCount(), 0);
  EXPECT_EQ(d().RedoCount(), 0);
}

TEST_F(UndoTest, ClearingNeedsNoMemoryAndKeepsTheHistory) {
  Light(0, 4);
  d().PushUndo("New");
  CellStorage::LimitColumnAllocations(0);
  d().ClearMap();
  EXPECT_TRUE(d().CloseAction());
  EXPECT_EQ(d().Cell(0, 0), TMapCell{});
  EXPECT_EQ(d().UndoCount(), 2);
  d().PopUndo();  // bringing the old column back needs no memory either
  EXPECT_EQ(d().Cell(0, 0).Light, 4);
}

TEST_F(UndoTest, AFirstWriteIntoAnEmptyColumnThatFindsNoMemoryChangesNothing) {
  Light(0, 1);
  CellStorage::LimitColumnAllocations(0);
  d().PushUndo();
  // An empty column has no cells of its own to write into; with no memory for them even
  // after giving up the history, the write fails whole.
  EXPECT_THROW(d().SetLight(9, 9, 3), std::bad_alloc);
  EXPECT_EQ(d().Cell(9, 9), TMapCell{});
  EXPECT_EQ(d().Cell(0, 0).Light, 1);
  EXPECT_TRUE(d().Cells().SharesEmptyColumn(9));
}

TEST_F(UndoTest, EditWithMemoryToSpareKeepsTheHistory) {
  Light(0, 1);  // the oldest state now owns column 0 alone
  d().PushUndo();
  // One allocation is left; the copy of column 7 for the edit may use it.
  CellStorage::LimitColumnAllocations(1);
  d().SetLight(7, 7, 2);
  d().CloseAction();
  EXPECT_EQ(d().UndoCount(), 2);
  d().PopUndo();
  EXPECT_EQ(d().Cell(7, 7).Light, 0);
  EXPECT_EQ(d().Cell(0, 0).Light, 1);
}

// Empty columns are one column shared by every storage; these pin down that sharing it is
// invisible: no write reaches it, and the history treats it as costing nothing.
TEST_F(UndoTest, WritesNeverReachTheEmptyColumnOrOtherDocuments) {
  auto other = std::make_unique<MapDocument>();
  for (int x = 0; x < kSide; ++x) ASSERT_TRUE(d().Cells().SharesColumn(other->Cells(), x)) << x;

  d().SetCell(3, 4, TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9});
  auto& column = d().WritableColumn(700);
  for (auto& c : column) c.Light = 9;
  EXPECT_FALSE(d().Cells().SharesEmptyColumn(3));
  EXPECT_FALSE(d().Cells().SharesColumn(other->Cells(), 700));
  EXPECT_TRUE(d().Cells().SharesColumn(other->Cells(), 4));
  auto fresh = std::make_unique<MapDocument>();
  for (const MapDocument* untouched : {other.get(), fresh.get()}) {
    EXPECT_EQ(untouched->Cell(3, 4), TMapCell{});
    EXPECT_EQ(untouched->Cell(700, 1010), TMapCell{});
  }

  // A cleared column is empty again, and a write after that gets a column of its own anew.
  d().ClearMap();
  EXPECT_TRUE(d().Cells().SharesEmptyColumn(700));
  d().SetLight(700, 2, 5);
  EXPECT_EQ(d().Cell(700, 2).Light, 5);
  EXPECT_EQ(d().Cell(700, 3).Light, 0);
  EXPECT_EQ(other->Cell(700, 2), TMapCell{});
  EXPECT_EQ(fresh->Cell(700, 2), TMapCell{});
}

TEST_F(UndoTest, UndoAndRedoAcrossEmptyColumns) {
  d().PushUndo("Draw");
  d().SetObject(10, 10, 7);
  d().SetBackTile(800, 3, 2);
  d().CloseAction();
  d().PushUndo("New");
  d().ClearMap();
  d().CloseAction();
  d().PushUndo("Draw");
  d().SetObject(10, 11, 8);
  d().CloseAction();

  d().PopUndo();
  EXPECT_EQ(d().GetObject(10, 11), -1);
  EXPECT_TRUE(d().Cells().SharesEmptyColumn(10));  // the state before shared it, and so again
  d().PopUndo();
  EXPECT_EQ(d().GetObject(10, 10), 6);
  EXPECT_EQ(d().GetBackTile(800, 3), 1);
  d().PopUndo();
  EXPECT_EQ(d().GetObject(10, 10), -1);
  EXPECT_EQ(d().GetBackTile(800, 3), -1);
  d().Redo();
  d().Redo();
  EXPECT_EQ(d().GetObject(10, 10), -1);
  d().Redo();
  EXPECT_EQ(d().GetObject(10, 11), 7);
  EXPECT_EQ(d().GetObject(10, 10), -1);
}

TEST_F(UndoTest, TheEmptyColumnCostsTheHistoryNothing) {
  // A step on an empty map keeps the empty column of the cell it changed: only its table.
  Light(3, 1);
  EXPECT_EQ(d().UndoMemoryBytes(), sizeof(CellStorage));
  // Clearing the map lets that step keep the one column that held something.
  d().PushUndo("New");
  d().ClearMap();
  d().CloseAction();
  EXPECT_EQ(d().UndoMemoryBytes(), 2 * sizeof(CellStorage) + sizeof(CellStorage::Column));
  // The budget counts alike: room for two tables and one column keeps both steps.
  d().SetUndoMemoryBudget(2 * sizeof(CellStorage) + CellStorage::kColumnBytes);
  EXPECT_EQ(d().UndoCount(), 2);
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
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
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  MapDocument& d() { return *doc_; }
};

TEST_F(UndoTest, KeepsTheTenMostRecentStates) {
  for (int i = 1; i <= 11; ++i) {
    d().SetLight(0, 0, i);
    d().PushUndo();
  }
  EXPECT_EQ(d().UndoCount(), 10);
  d().SetLight(0, 0, 99);
  for (int expected = 11; expected >= 2; --expected) {
    d().PopUndo();
    EXPECT_EQ(d().Cell(0, 0).Light, expected);
  }
  EXPECT_EQ(d().UndoCount(), 0);
  d().PopUndo();  // the eleventh pop: state 1 was pushed out
  EXPECT_EQ(d().Cell(0, 0).Light, 2);
}

TEST_F(UndoTest, PopAsksForRepaintOnlyWhenSomethingWasRestored) {
  int repaints = 0;
  d().SetRepaintHandler([&] { ++repaints; });
  d().PopUndo();
  EXPECT_EQ(repaints, 0);
  d().PushUndo();
  d().PopUndo();
  EXPECT_EQ(repaints, 1);
}

TEST_F(UndoTest, UndoAfterResizeRestoresCellsButKeepsTheNewSize) {
  d().SetBackTile(150, 150, 3);
  d().PushUndo();
  d().SetMapSize(100, 120);
  d().SetBackTile(150, 150, 9);
  d().SetBackTile(50, 50, 9);
  d().PopUndo();
  EXPECT_EQ(d().MapWidth(), 100);
  EXPECT_EQ(d().MapHeight(), 120);
  EXPECT_EQ(d().Cell(150, 150).BackTile, 3);
  EXPECT_EQ(d().Cell(50, 50).BackTile, 0);
}

TEST_F(UndoTest, RestoresExactlyAfterManyInterleavedEdits) {
  std::mt19937 rng(20261207);
  std::vector<std::vector<TMapCell>> expected;  // whole copies, oldest first
  auto anyCell = [&] { return static_cast<int>(rng() % kSide); };
  for (int step = 0; step < 150; ++step) {
    const auto action = rng() % 10;
    if (action < 3) {
      if (expected.size() == 10) expected.erase(expected.begin());
      expected.push_back(WholeCopy(d()));
      d().PushUndo();
    } else if (action < 5) {
      d().PopUndo();
      if (!expected.empty()) {
        ASSERT_EQ(WholeCopy(d()), expected.back()) << "step " << step;
        expected.pop_back();
      }
    } else if (action < 6) {
      // A whole column rewritten, as a loader or a map shift does.
      auto& column = d().WritableColumn(anyCell());
      for (auto& c : column) c.MiddleTile = static_cast<std::uint16_t>(rng());
    } else if (action < 7) {
      d().ClearMap();
    } else {
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
    ASSERT_EQ(d().UndoCount(), static_cast<int>(expected.size()));
  }
  while (!expected.empty()) {
    d().PopUndo();
    ASSERT_EQ(WholeCopy(d()), expected.back());
    expected.pop_back();
  }
}

TEST_F(UndoTest, TenSnapshotsWithOneEditEachStayFarBelowTwoMebibytes) {
  for (int i = 0; i < 10; ++i) {
    d().PushUndo();
    d().SetObject(i * 97, i * 31, i + 1);
  }
  EXPECT_LE(d().UndoMemoryBytes(), 2u << 20);
  // Ten edited columns are all the history holds of cells of its own.
  EXPECT_GE(d().UndoMemoryBytes(), 10 * CellStorage::kColumnBytes);
}

TEST_F(UndoTest, PushingNeverNeedsMemory) {
  CellStorage::LimitColumnAllocations(0);
  for (int i = 0; i < 12; ++i) d().PushUndo();
  EXPECT_EQ(d().UndoCount(), 10);
}

TEST_F(UndoTest, OutOfMemoryGivesUpOldStatesButNeverTheEdit) {
  d().SetLight(0, 0, 1);
  d().PushUndo();
  d().SetLight(0, 0, 2);
  d().PushUndo();
  d().SetLight(0, 0, 3);
  d().PushUndo();
  // Column 0 is shared with the newest state only; column 5 with all three.
  CellStorage::LimitColumnAllocations(0);
  d().SetCell(5, 5, TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(d().Cell(5, 5), (TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(d().UndoCount(), 0);

  CellStorage::LimitColumnAllocations(-1);
  d().PushUndo();
  d().SetLight(0, 0, 4);
  d().PushUndo();
  CellStorage::LimitColumnAllocations(0);
  d().ClearMap();
  EXPECT_EQ(d().Cell(5, 5), TMapCell{});
  EXPECT_EQ(d().Cell(0, 0), TMapCell{});
  EXPECT_EQ(d().UndoCount(), 0);
}

TEST_F(UndoTest, EditWithMemoryToSpareKeepsTheHistory) {
  d().PushUndo();
  d().SetLight(0, 0, 1);  // the oldest state now owns column 0 alone
  d().PushUndo();
  // One allocation is left; the copy of column 7 for the edit may use it.
  CellStorage::LimitColumnAllocations(1);
  d().SetLight(7, 7, 2);
  EXPECT_EQ(d().UndoCount(), 2);
  d().PopUndo();
  EXPECT_EQ(d().Cell(7, 7).Light, 0);
  EXPECT_EQ(d().Cell(0, 0).Light, 1);
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ScriptedQuestions.h"
#include "tools/BigTilePainter.h"
#include "tools/ToolDispatch.h"

namespace hl {
namespace {

struct Feedback : DispatchFeedback {
  std::vector<std::string> Events;
  int Modified = 0;
  void EraseHover() override { Events.push_back("erase"); }
  void ShowHover(const ClickArea& area) override {
    Events.push_back("hover " + std::to_string(area.Cells.X0) + "," +
                     std::to_string(area.Cells.Y0));
    Shown = area;
  }
  ClickArea Shown;
  void SetCoordinateLabel(const std::string& text) override { Events.push_back("label " + text); }
  void SetModified() override { ++Modified; }
};

class ToolDispatchTest : public ::testing::Test {
 protected:
  // The pixel of the middle of cell (x, y) at zoom 1.
  void PressCell(int x, int y, MouseButton button = MouseButton::Left,
                 MouseState held = {false, false, false, true}) {
    // A click: the press and its release.
    dispatch_.Press(x * 48 + 20, y * 32 + 10, 100, button, held);
    dispatch_.Release();
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  ToolState state_;
  NoRedraw redraw_;
  ToolRandom random_{5};
  Feedback feedback_;
  test::ScriptedQuestions questions_;
  ToolDispatch dispatch_{*doc_, state_, redraw_, random_, feedback_, questions_};
};

TEST_F(ToolDispatchTest, PixelsBecomeCellsExactly) {
  EXPECT_EQ(ToolDispatch::CellX(100, 40), 5);
  EXPECT_EQ(ToolDispatch::CellY(50, 40), 3);
  EXPECT_EQ(ToolDispatch::CellX(15 * 48 * 14 / 10, 140), 15);  // 1008 at zoom 1.4
  // At zoom 2 column 700 lies beyond 65,535 pixels and is still column 700.
  EXPECT_EQ(ToolDispatch::CellX(700 * 96 + 30, 200), 700);
  state_.LayerMode = LayerMode::Small;
  state_.CurrentTile = 7;
  dispatch_.Press(700 * 96 + 30, 10, 200, MouseButton::Left, {false, false, false, true});
  EXPECT_EQ(doc_->GetBackTile(700, 0), 7);
}

TEST_F(ToolDispatchTest, TheStatusCellIsTheCellAPressChanges) {
  // An object lands on the cell under the pixel itself, so the changed cell shows which cell
  // the press took.
  state_.ToolMode = ToolMode::DrawObjects;
  state_.ObjectSelection = 7;
  doc_->SetMapSize(kMaxMapSide, kMaxMapSide);
  for (const int zoom : {5, 40, 140, 200}) {
    for (const long long px : {0LL, 47LL, 48LL, 333LL, 1001LL}) {
      const long long py = px / 2 + 1;
      const auto cell = ToolDispatch::MapCellAt(px, py, zoom, kMaxMapSide, kMaxMapSide);
      ASSERT_TRUE(cell) << px << " at " << zoom;
      doc_->ClearMap();
      dispatch_.Press(px, py, zoom, MouseButton::Left, {false, false, false, true});
      EXPECT_EQ(doc_->GetObject(cell->first, cell->second), 7) << px << " at " << zoom;
    }
  }
}

TEST_F(ToolDispatchTest, OffTheMapThereIsNoStatusCell) {
  EXPECT_EQ(ToolDispatch::MapCellAt(29 * 48 + 47, 19 * 32 + 31, 100, 30, 20), (std::pair{29, 19}));
  EXPECT_FALSE(ToolDispatch::MapCellAt(30 * 48, 0, 100, 30, 20));  // right of the map
  EXPECT_FALSE(ToolDispatch::MapCellAt(0, 20 * 32, 100, 30, 20));  // below it
  // Left of or above the map: Trunc would make these cell 0.
  EXPECT_EQ(ToolDispatch::CellX(-10, 100), 0);
  EXPECT_FALSE(ToolDispatch::MapCellAt(-10, 5, 100, 30, 20));
  EXPECT_FALSE(ToolDispatch::MapCellAt(5, -1, 100, 30, 20));
  EXPECT_FALSE(ToolDispatch::MapCellAt(0, 0, 100, 0, 0));  // a map without cells
}

TEST_F(ToolDispatchTest, BigTileRowsTakeUndoAndSetModified) {
  state_.LayerMode = LayerMode::Big;
  state_.BigTileGroup = 2;
  PressCell(9, 6);
  EXPECT_EQ(doc_->GetBackTile(8, 4) / 50, 2);  // rounded down to multiples of 4
  EXPECT_EQ(doc_->UndoCount(), 1);
  EXPECT_EQ(feedback_.Modified, 1);

  state_.LayerMode = LayerMode::All;  // fill from an empty even cell
  state_.BigTileGroup = 3;
  doc_->SetMapSize(20, 20);
  PressCell(1, 19);
  EXPECT_EQ(state_.FillStartGroup, -1);
  EXPECT_EQ(doc_->GetBackTile(0, 18) / 50, 3);
  EXPECT_EQ(doc_->UndoCount(), 2);
  EXPECT_EQ(feedback_.Modified, 2);

  state_.LayerMode = LayerMode::MarkFill;  // "1": the mark fill, with undo and the modified flag
  PressCell(3, 3);
  EXPECT_EQ(doc_->UndoCount(), 3);
  EXPECT_EQ(feedback_.Modified, 3);
  EXPECT_NE(doc_->GetBackTileRaw(3, 3) & 0x8000, 0);
}

TEST_F(ToolDispatchTest, OnlyTheLeftButtonPaints) {
  state_.LayerMode = LayerMode::Big;
  PressCell(4, 4, MouseButton::Right, {false, false, false, false, true});
  PressCell(4, 4, MouseButton::Middle, {false, false, false, false, false, true});
  EXPECT_EQ(doc_->UndoCount(), 0);
  EXPECT_EQ(doc_->GetBackTile(4, 4), -1);
  EXPECT_EQ(feedback_.Modified, 0);
}

TEST_F(ToolDispatchTest, SmallTilesPaintOnlyWithTheBigLayer) {
  state_.ToolMode = ToolMode::DrawSmTiles;
  state_.LayerMode = LayerMode::Small;  // "Small" (the start-up layer): a left press does nothing
  PressCell(10, 10);
  EXPECT_EQ(doc_->GetMiddleTile(10, 10), -1);
  EXPECT_EQ(doc_->UndoCount(), 0);
  state_.LayerMode = LayerMode::Big;
  state_.SmallTileGroup = 1;
  PressCell(10, 10);
  EXPECT_GE(doc_->GetMiddleTile(10, 10), 60);
  EXPECT_EQ(doc_->UndoCount(), 1);
  EXPECT_EQ(feedback_.Modified, 1);
}

TEST_F(ToolDispatchTest, ObjectRowsTakeUndoAndReadTheSetOnEveryPress) {
  state_.ToolMode = static_cast<ToolMode>(2);  // never set by the menus: nothing
  PressCell(2, 2);
  EXPECT_EQ(doc_->UndoCount(), 0);
  state_.ToolMode = ToolMode::DrawObjects;
  state_.LayerMode = LayerMode::Big;
  PressCell(2, 2);  // nothing picked: nothing changed, no step
  EXPECT_EQ(doc_->UndoCount(), 0);
  state_.ObjectSelection = 4;
  PressCell(2, 2, MouseButton::Right);
  EXPECT_EQ(doc_->Cell(2, 2).ObjectImage, 0);
  PressCell(2, 2);
  EXPECT_EQ(doc_->Cell(2, 2).ObjectImage, 5);

  TObjectSet set{{0, 0, -1, 8, 0, 0, 0, 0, 0, 0, 0}};
  const TObjectSet* current = nullptr;
  dispatch_.SetCurrentSetSource([&] { return current; });
  state_.ToolMode = ToolMode::DrawObjectsInSet;
  PressCell(6, 6);
  current = &set;
  PressCell(7, 6);
  EXPECT_EQ(doc_->Cell(7, 6).ObjectImage, 9);
  EXPECT_EQ(doc_->UndoCount(), 2);
  EXPECT_EQ(doc_->UndoName(), "Draw Objects In Set  Tiles");
  EXPECT_EQ(feedback_.Modified, 4);
}

TEST_F(ToolDispatchTest, EraserSetsModifiedOnlyWhenItClearedSomething) {
  state_.LayerMode = LayerMode::Eraser;
  state_.ToolMode = ToolMode::DrawObjects;
  doc_->SetObject(3, 3, 2);
  doc_->SetObject(5, 3, 2);
  PressCell(1, 1, MouseButton::Middle);
  EXPECT_EQ(feedback_.Modified, 0);
  PressCell(3, 3, MouseButton::Right);  // any button
  EXPECT_EQ(doc_->Cell(3, 3).ObjectImage, 0);
  EXPECT_EQ(feedback_.Modified, 1);
  dispatch_.MoveCell(5, 3, {});  // a move without Left only shows where it is
  EXPECT_EQ(doc_->Cell(5, 3).ObjectImage, 2);
  dispatch_.MoveCell(5, 3, {false, false, false, true});
  EXPECT_EQ(doc_->Cell(5, 3).ObjectImage, 0);
  EXPECT_EQ(feedback_.Modified, 2);
  EXPECT_EQ(feedback_.Events.back(), "hover 5,3");
  dispatch_.Release();
  EXPECT_EQ(doc_->UndoCount(), 2);  // the erasing click, then the erasing drag
  EXPECT_EQ(doc_->UndoName(), "Erase");
  doc_->PopUndo();
  EXPECT_EQ(doc_->Cell(5, 3).ObjectImage, 2);
  EXPECT_EQ(doc_->Cell(3, 3).ObjectImage, 0);
}

TEST_F(ToolDispatchTest, DragsShowTheRoundedBlockAndRepaintWithCtrl) {
  state_.LayerMode = LayerMode::Big;
  dispatch_.Move(5 * 48 + 1, 6 * 32 + 1, 100, {});
  dispatch_.Move(7 * 48 + 1, 6 * 32 + 1, 100, {});
  EXPECT_EQ(feedback_.Events, (std::vector<std::string>{"erase", "label 4 : 4", "hover 4,4",
                                                        "erase", "label 4 : 4", "hover 4,4"}));
  dispatch_.Move(9 * 48, 9 * 32, 100, {false, false, false, true});  // Left without Ctrl
  EXPECT_EQ(doc_->UndoCount(), 0);
  dispatch_.Move(9 * 48, 9 * 32, 100, {false, false, true, true});
  dispatch_.Move(13 * 48, 9 * 32, 100, {false, false, true, true});
  dispatch_.Release();
  EXPECT_EQ(doc_->UndoCount(), 1);  // the whole drag is one step
  EXPECT_EQ(doc_->GetBackTile(12, 8) / 50, 0);
  EXPECT_GE(doc_->GetBackTile(12, 8), 0);
}

TEST_F(ToolDispatchTest, SingleTileDragsWithCtrlOrAltAndMarkBrushShowsOnlyItsOutline) {
  state_.LayerMode = LayerMode::Small;
  state_.CurrentTile = 3;
  dispatch_.Move(4 * 48, 4 * 32, 100, {false, false, true, true});
  EXPECT_EQ(doc_->GetBackTile(4, 4), 3);
  dispatch_.Move(4 * 48, 4 * 32, 100, {false, true, false, true});  // Alt removes
  EXPECT_EQ(doc_->GetBackTile(4, 4), -1);
  dispatch_.Release();
  EXPECT_EQ(doc_->UndoCount(), 0);  // placed and removed in one stroke: nothing to undo

  feedback_.Events.clear();
  state_.LayerMode = LayerMode::MarkBrush;
  dispatch_.Move(4 * 48, 4 * 32, 100, {false, false, false, true});
  EXPECT_EQ(feedback_.Events, (std::vector<std::string>{"erase", "hover 4,4"}));
  EXPECT_NE(doc_->GetBackTileRaw(4, 4) & 0x8000, 0);  // the brush painted BackMark
}

// The outline a move shows, against the cells a left click there with the same keys changes.
TEST_F(ToolDispatchTest, TheOutlineIsWhatAClickChanges) {
  const auto changedBy = [&](int x, int y, MouseState held, auto differs) {
    const auto before = std::make_unique<MapDocument>();
    before->SetMapSize(doc_->MapWidth(), doc_->MapHeight());
    for (int cx = 0; cx < 60; ++cx)
      for (int cy = 0; cy < 60; ++cy) before->SetCell(cx, cy, doc_->Cell(cx, cy));
    held.Left = true;
    PressCell(x, y, MouseButton::Left, held);
    std::vector<std::pair<int, int>> cells;
    for (int cy = 0; cy < 60; ++cy)
      for (int cx = 0; cx < 60; ++cx)
        if (differs(before->Cell(cx, cy), doc_->Cell(cx, cy))) cells.emplace_back(cx, cy);
    doc_->PopUndo();
    return cells;
  };
  const auto cellsOf = [](const CellArea& a) {
    std::vector<std::pair<int, int>> cells;
    for (int cy = a.Y0; cy <= a.Y1; ++cy)
      for (int cx = a.X0; cx <= a.X1; ++cx) cells.emplace_back(cx, cy);
    return cells;
  };
  const auto anyChange = [](const TMapCell& a, const TMapCell& b) { return !(a == b); };
  for (int x = 0; x < 60; ++x)
    for (int y = 0; y < 60; ++y) doc_->SetObject(x, y, 1);
  struct Case {
    LayerMode Layer;
    MouseState Held;
    int X, Y, W, H;
  };
  for (const Case& c :
       {Case{LayerMode::Eraser, {}, 30, 30, 1, 1},
        Case{LayerMode::Eraser, {false, false, true}, 30, 30, 3, 3},
        Case{LayerMode::Eraser, {true, false, true}, 30, 30, 21, 21},
        Case{LayerMode::Eraser, {true}, 3, 4, 14, 15},  // cut at the map's corner
        Case{LayerMode::MarkBrush, {}, 9, 9, 1, 1}, Case{LayerMode::MarkBrush, {true}, 9, 9, 5, 5},
        Case{LayerMode::MarkBrush, {true}, 0, 1, 3, 4}}) {
    state_.LayerMode = c.Layer;
    dispatch_.MoveCell(c.X, c.Y, c.Held);
    const CellArea shown = feedback_.Shown.Cells;
    EXPECT_EQ(shown.Width() * 100 + shown.Height(), c.W * 100 + c.H);
    EXPECT_FALSE(feedback_.Shown.SetFootprint);
    EXPECT_EQ(changedBy(c.X, c.Y, c.Held, anyChange), cellsOf(shown))
        << static_cast<int>(c.Layer) << " at " << c.X << "," << c.Y;
  }

  // The block brush snaps to its 4 x 4 block: its full tiles land there, the edges around it.
  state_.LayerMode = LayerMode::Big;
  dispatch_.MoveCell(10, 7, {});
  EXPECT_EQ(feedback_.Shown.Cells, (CellArea{8, 4, 11, 7}));
  const auto fullTile = [&](const TMapCell&, const TMapCell& after) {
    const int t = (after.BackTile & kNumberBits) - 1;
    return t >= 0 && t % kBigTileGroupSize < BigTilePainter::kFullVariants;
  };
  EXPECT_EQ(changedBy(10, 7, {}, fullTile), cellsOf(feedback_.Shown.Cells));
  // A single big tile is stored on its even cell and covers the three beside and below it.
  state_.LayerMode = LayerMode::Small;
  state_.CurrentTile = 2;
  dispatch_.MoveCell(7, 5, {});
  EXPECT_EQ(changedBy(7, 5, {}, anyChange), (std::vector<std::pair<int, int>>{{6, 4}}));
  EXPECT_EQ(feedback_.Shown.Cells, (CellArea{6, 4, 7, 5}));
  // Sets show their footprint; the eraser layer erases even while placing sets.
  state_.ToolMode = ToolMode::DrawObjectsInSet;
  dispatch_.MoveCell(7, 5, {});
  EXPECT_TRUE(feedback_.Shown.SetFootprint);
  state_.LayerMode = LayerMode::Eraser;
  dispatch_.MoveCell(7, 5, {false, false, true});
  EXPECT_EQ(feedback_.Shown, (ClickArea{{6, 4, 8, 6}, false}));
}

TEST_F(ToolDispatchTest, SegmentModeLabelsWorldCoordinates) {
  state_.SegmentMode = true;
  state_.SegOriginX = 400;
  state_.SegOriginY = 80;
  dispatch_.Move(3 * 48, 2 * 32, 100, {});
  EXPECT_EQ(feedback_.Events[1], "label 403 : 82");
}

TEST_F(ToolDispatchTest, LightAndDoorRowsAskThroughTheDialogs) {
  state_.ToolMode = ToolMode::SetLightEffect;
  questions_.LightTexts = {"3"};
  PressCell(6, 6);
  EXPECT_EQ(doc_->Cell(6, 6).Light, 3);
  PressCell(7, 7, MouseButton::Left, {false, true, false, true});  // Alt on a cell without light
  EXPECT_EQ(questions_.Beeps, 1);
  EXPECT_EQ(doc_->UndoCount(), 1);  // the refused one changed nothing
  EXPECT_EQ(feedback_.Modified, 2);
  state_.ToolMode = ToolMode::UpdateDoors;
  questions_.DoorAnswers = {Questions::DoorTexts{false, "12", "1"}};
  PressCell(8, 8);
  EXPECT_EQ(doc_->Cell(8, 8).Door, 12);
  EXPECT_EQ(doc_->UndoCount(), 2);
  EXPECT_EQ(doc_->UndoName(), "Update Doors");
}

TEST_F(ToolDispatchTest, MarkBrushAndFillRows) {
  state_.LayerMode = LayerMode::MarkBrush;
  PressCell(10, 10, MouseButton::Right, {true, false, false, false, true});
  EXPECT_NE(doc_->Cell(8, 12).ObjectImage & 0x8000, 0);
  EXPECT_EQ(doc_->UndoCount(), 1);
  EXPECT_EQ(doc_->UndoName(), "Brush Marks");
  EXPECT_EQ(feedback_.Modified, 1);  // it changed cells, so the map counts as changed
  PressCell(10, 10, MouseButton::Right, {true, false, false, false, true});
  EXPECT_EQ(feedback_.Modified, 1);                                          // nothing new
  dispatch_.Move(20 * 48, 20 * 32, 100, {true, false, false, false, true});  // right drag
  EXPECT_NE(doc_->Cell(22, 22).ObjectImage & 0x8000, 0);

  state_.LayerMode = LayerMode::MarkFill;  // a middle-button fill marks nothing but sets Modified
  PressCell(40, 40, MouseButton::Middle, {false, false, false, false, false, true});
  EXPECT_EQ(doc_->UndoCount(), 2);  // the brush click and the brush drag
  EXPECT_EQ(feedback_.Modified, 3);
  EXPECT_EQ(doc_->Cell(40, 40).BackTile, 0);
}

TEST_F(ToolDispatchTest, ErasedHousesComeBackLastErasedFirst) {
  state_.ToolMode = ToolMode::DrawObjects;
  state_.LayerMode = LayerMode::Big;
  state_.ObjectSelection = 30;  // house A
  PressCell(10, 10);
  state_.ObjectSelection = 31;  // house B
  PressCell(20, 10);
  state_.LayerMode = LayerMode::Eraser;
  PressCell(10, 10);
  PressCell(20, 10);
  ASSERT_EQ(doc_->GetObject(10, 10), -1);
  ASSERT_EQ(doc_->GetObject(20, 10), -1);
  doc_->PopUndo();
  EXPECT_EQ(doc_->GetObject(20, 10), 31);  // B, erased last
  EXPECT_EQ(doc_->GetObject(10, 10), -1);
  doc_->PopUndo();
  EXPECT_EQ(doc_->GetObject(10, 10), 30);
  EXPECT_EQ(doc_->GetObject(20, 10), 31);
  doc_->PopUndo();
  EXPECT_EQ(doc_->GetObject(20, 10), -1);  // then the placements, newest first
  EXPECT_EQ(doc_->GetObject(10, 10), 30);
}

TEST_F(ToolDispatchTest, APressStartsANewStrokeEvenWithoutARelease) {
  // A dialog may swallow the release: the next press must not join the last stroke.
  state_.LayerMode = LayerMode::Small;
  state_.CurrentTile = 2;
  dispatch_.PressCell(0, 0, MouseButton::Left, {false, false, false, true});
  dispatch_.PressCell(2, 0, MouseButton::Left, {false, false, false, true});
  dispatch_.Release();
  EXPECT_EQ(doc_->UndoCount(), 2);
  EXPECT_EQ(doc_->UndoName(), "Draw Big Tiles");
}

TEST(ToolState, RefusesWhatTheCellsCannotStore) {
  ToolState s;
  EXPECT_TRUE(s.SetBigTileGroup(654));
  EXPECT_FALSE(s.SetBigTileGroup(655));
  EXPECT_FALSE(s.SetBigTileGroup(-1));
  EXPECT_EQ(s.BigTileGroup, 654);
  EXPECT_TRUE(s.SetSmallTileGroup(1091));
  EXPECT_FALSE(s.SetSmallTileGroup(1092));
  EXPECT_TRUE(s.SetCurrentTile(-1));
  EXPECT_TRUE(s.SetCurrentTile(32766));
  EXPECT_FALSE(s.SetCurrentTile(32767));
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/MainCommands.h"
#include "app/SegmentCommands.h"
#include "map/MapFile.h"
#include "tools/ToolDispatch.h"

namespace hl {
namespace {

// The map's modified flag follows the edits, as the main window's does.
struct SessionFeedback : DispatchFeedback {
  explicit SessionFeedback(MainCommands& c) : Commands(c) {}
  void EraseHover() override {}
  void ShowHover(const ClickArea&) override {}
  void SetCoordinateLabel(const std::string&) override {}
  void SetModified() override { Commands.SetModified(true); }
  MainCommands& Commands;
};

// The cells a session can reach: the map (a segment window is 120 x 120) and the blocks and
// sets that overhang it.
constexpr int kSide = 126;
using Snapshot = std::vector<TMapCell>;

Snapshot Take(const MapDocument& doc, int fromX = 0, int fromY = 0, int side = kSide) {
  Snapshot s;
  s.reserve(static_cast<std::size_t>(side * side));
  for (int x = fromX; x < fromX + side; ++x)
    for (int y = fromY; y < fromY + side; ++y) s.push_back(doc.Cell(x, y));
  return s;
}

// A long seeded editing session through the mouse dispatch and the main window's commands:
// every tool and layer, presses and drags with every key, undo, map scroll, resize, set
// stamping, segment windows moved over a project, saves and reloads. Each undo must bring back
// exactly the cells of before the action, each reload exactly the saved cells, and each
// segment window exactly what was last saved of its segments. HL_SOAK_ACTIONS sets the length
// (a short session by default, for every test run).
TEST(Soak, RandomSessionUndoesReloadsAndMovesSegmentsExactly) {
  const char* env = std::getenv("HL_SOAK_ACTIONS");
  const int actions = env ? std::atoi(env) : 3000;
  std::mt19937 rng(20261207);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

  test::TempDir dir;
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(60, 60);
  ToolState state;
  state.LayerMode = LayerMode::Small;
  NoRedraw redraw;
  ToolRandom random(7);
  test::ScriptedQuestions questions;
  test::RecordingWindow window;
  MainCommands commands(*doc, questions, window, kBitCountData);
  SegmentCommands segments(commands, *doc, questions, state, window);
  SessionFeedback feedback(commands);
  ToolDispatch dispatch(*doc, state, redraw, random, feedback, questions);
  const TObjectSet set{{0, 0, 3, 5, 1, 2, 6, 1, 3, 0x85, 2}, {1, 1, -1, 70000, 2, 0, 0, 0, 0, 0, 0},
                       {-1, 2, 104, -1, 0, 0, 0, 0, 4, 0, 0}};
  dispatch.SetCurrentSetSource([&] { return &set; });

  // A project of 5 x 4 segments, none written yet: what each segment file holds, as far as
  // the session saved it (missing: empty cells).
  constexpr int kCols = 5, kRows = 4, kSeg = 40;
  ASSERT_TRUE(segments.New("S", std::to_string(kCols), std::to_string(kRows)));
  ASSERT_TRUE(segments.SaveProject(dir.File("w.mp"), "S", std::to_string(kCols),
                                   std::to_string(kRows)));
  std::map<std::pair<int, int>, Snapshot> stored;
  const Snapshot emptySegment(kSeg * kSeg, TMapCell{});
  auto storedSegment = [&](int col, int row) -> const Snapshot& {
    auto it = stored.find({col, row});
    return it == stored.end() ? emptySegment : it->second;
  };
  auto windowMatchesFiles = [&] {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        if (Take(*doc, kSeg * i, kSeg * j, kSeg) !=
            storedSegment(segments.OriginCol() + i, segments.OriginRow() + j))
          return false;
    return true;
  };
  auto windowSaved = [&] {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        stored[{segments.OriginCol() + i, segments.OriginRow() + j}] =
            Take(*doc, kSeg * i, kSeg * j, kSeg);
  };

  int undoChecks = 0, reloads = 0, scrolls = 0, resizes = 0, windowLoads = 0;
  for (int i = 0; i < actions; ++i) {
    const int what = pick(1000);
    // A full history drops its oldest step at the next one, which would hide the new step.
    if (doc->UndoCount() == doc->UndoLimit() && pick(2) == 0) doc->ClearUndo();
    const bool checkUndo = pick(4) == 0;
    const Snapshot before = checkUndo ? Take(*doc) : Snapshot{};
    const int undoBefore = doc->UndoCount();

    if (what < 10) {
      questions.Shifts = {std::pair{std::to_string(pick(21) - 10), std::to_string(pick(21) - 10)}};
      commands.MapScroll1Click();
      ++scrolls;
    } else if (what < 16 && !commands.SegmentMode()) {
      const Snapshot old = Take(*doc);
      const int oldW = doc->MapWidth(), oldH = doc->MapHeight();
      const int w = 20 + pick(100), h = 20 + pick(100);
      questions.SizeTexts = {std::make_pair(std::to_string(w), std::to_string(h))};
      commands.Resize1Click();
      ASSERT_EQ(doc->MapWidth(), w);
      ASSERT_EQ(doc->MapHeight(), h);
      // Cells inside both sizes are kept.
      for (int cx = 0; cx < std::min(oldW, w); ++cx)
        for (int cy = 0; cy < std::min(oldH, h); ++cy)
          ASSERT_EQ(doc->Cell(cx, cy), old[static_cast<std::size_t>(cx * kSide + cy)]);
      ++resizes;
      continue;
    } else if (what < 30) {
      if (!commands.SegmentMode()) {
        // Into the project: an unsaved plain map is dropped when asked.
        questions.Replies = {Questions::Reply::No};
        segments.SetOrigin(pick(kCols - 2), pick(kRows - 2));
      } else if (pick(8) == 0) {
        segments.Cancel();  // the window stays as a plain map
        continue;
      } else {
        // "Edit ?" before leaving a changed window: save it, or drop the changes.
        const bool save = pick(3) != 0;
        questions.Replies = {save ? Questions::Reply::Yes : Questions::Reply::No};
        if (save && commands.Modified()) windowSaved();
        const int d = pick(4);
        ASSERT_TRUE(segments.Move(d == 0 ? -1 : d == 1 ? 1 : 0, d == 2 ? -1 : d == 3 ? 1 : 0));
        ASSERT_TRUE(windowMatchesFiles()) << "action " << i;
        ++windowLoads;
        continue;
      }
      ASSERT_TRUE(segments.EditWindow());
      ASSERT_TRUE(windowMatchesFiles()) << "action " << i;
      ++windowLoads;
      continue;
    } else if (what < 34) {
      if (commands.SegmentMode()) {
        ASSERT_TRUE(segments.SaveSegs());
        windowSaved();
        continue;
      }
      const std::string file = dir.File("soak.map");
      ASSERT_TRUE(SaveMap(*doc, file, kBitCountData));  // moves library 7 to 6 first
      const Snapshot saved = Take(*doc);
      auto loaded = std::make_unique<MapDocument>();
      ASSERT_TRUE(LoadMap(*loaded, file));
      ASSERT_EQ(loaded->MapWidth(), doc->MapWidth());
      for (int cx = 0; cx < std::min(doc->MapWidth(), kSide); ++cx)
        for (int cy = 0; cy < std::min(doc->MapHeight(), kSide); ++cy)
          ASSERT_EQ(loaded->Cell(cx, cy), saved[static_cast<std::size_t>(cx * kSide + cy)]);
      ++reloads;
      continue;
    } else {
      const ToolMode tools[] = {ToolMode::DrawBigTiles,     ToolMode::DrawSmTiles,
                                ToolMode::DrawObjects,      ToolMode::DrawObjectsInSet,
                                ToolMode::SetLightEffect,   ToolMode::UpdateDoors};
      state.ToolMode = tools[pick(6)];
      state.LayerMode = static_cast<LayerMode>(pick(kLayerModes));
      state.BigTileGroup = pick(4);
      state.SmallTileGroup = pick(3);
      state.CurrentTile = pick(200);
      state.ObjectSelection = pick(3) == 0 ? -1 : pick(2) * 65535 + pick(60);
      questions.LightTexts = {std::to_string(pick(6))};
      questions.DoorAnswers = {Questions::DoorTexts{pick(2) == 0, std::to_string(pick(130)),
                                                    std::to_string(pick(300))}};
      const MouseState held{pick(4) == 0, pick(4) == 0, pick(4) == 0, true, pick(8) == 0, false};
      const int w = std::max(doc->MapWidth(), 1), h = std::max(doc->MapHeight(), 1);
      const int x = pick(w + 4) - 2, y = pick(h + 4) - 2;
      if (pick(5) == 0) {
        dispatch.MoveCell(x, y, held);
      } else {
        dispatch.PressCell(x, y, pick(6) == 0 ? MouseButton::Right : MouseButton::Left, held);
      }
      dispatch.Release();
    }
    if (checkUndo && doc->UndoCount() > undoBefore) {
      // Every action is one step.
      ASSERT_EQ(doc->UndoCount(), undoBefore + 1) << "action " << i;
      commands.Undo();
      ASSERT_EQ(Take(*doc), before) << "action " << i;
      ++undoChecks;
    }
  }
  EXPECT_GT(undoChecks, actions / 60);
  EXPECT_GT(windowLoads, actions / 200);
  // The history holds at most its limit of steps and its memory, whatever the session did.
  EXPECT_LE(doc->UndoCount(), doc->UndoLimit());
  EXPECT_LT(doc->UndoMemoryBytes(), MapDocument::kUndoMemoryBudget);
  std::printf(
      "soak: %d actions, %d undo checks, %d reloads, %d scrolls, %d resizes, %d segment "
      "windows, undo memory %.2f MiB\n",
      actions, undoChecks, reloads, scrolls, resizes, windowLoads,
      static_cast<double>(doc->UndoMemoryBytes()) / (1 << 20));
}

}  // namespace
}  // namespace hl

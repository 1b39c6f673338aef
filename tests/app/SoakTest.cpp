#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "map/MapFile.h"
#include "tools/ToolDispatch.h"

namespace hl {
namespace {

struct QuietFeedback : DispatchFeedback {
  void EraseHover() override {}
  void ShowHover(int, int) override {}
  void SetCoordinateLabel(const std::string&) override {}
  void SetModified() override {}
};

// The cells a session on a small map can reach: the map, the blocks and sets that overhang it.
constexpr int kSide = 80;
using Snapshot = std::vector<TMapCell>;

Snapshot Take(const MapDocument& doc) {
  Snapshot s;
  s.reserve(kSide * kSide);
  for (int x = 0; x < kSide; ++x)
    for (int y = 0; y < kSide; ++y) s.push_back(doc.Cell(x, y));
  return s;
}

// A long seeded editing session through the mouse dispatch: every tool and layer, presses and
// drags with every key, undo after edits, set stamping, saves and reloads. Each undo must bring
// back exactly the cells of before the edit, and each reload exactly the saved cells.
// HL_SOAK_ACTIONS sets the length (a short session by default, for every test run).
TEST(Soak, RandomSessionUndoesAndReloadsExactly) {
  const char* env = std::getenv("HL_SOAK_ACTIONS");
  const int actions = env ? std::atoi(env) : 3000;
  std::mt19937 rng(20261207);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

  test::TempDir dir;
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(60, 60);
  ToolState state;
  NoRedraw redraw;
  ToolRandom random(7);
  QuietFeedback feedback;
  test::ScriptedQuestions questions;
  ToolDispatch dispatch(*doc, state, redraw, random, feedback, questions);
  const TObjectSet set{{0, 0, 3, 5, 1, 2, 6, 1, 3, 0x85, 2}, {1, 1, -1, 70000, 2, 0, 0, 0, 0, 0, 0},
                       {-1, 2, 104, -1, 0, 0, 0, 0, 4, 0, 0}};
  dispatch.SetCurrentSetSource([&] { return &set; });

  int undoChecks = 0, reloads = 0;
  for (int i = 0; i < actions; ++i) {
    const int tools[] = {0, 1, 3, 4, 5, 6};
    state.ToolMode = tools[pick(6)];
    state.LayerMode = pick(6);
    state.BigTileGroup = pick(4);
    state.SmallTileGroup = pick(3);
    state.CurrentTile = pick(200);
    state.ObjectSelection = pick(3) == 0 ? -1 : pick(2) * 65535 + pick(60);
    questions.LightTexts = {std::to_string(pick(6))};
    questions.DoorAnswers = {Questions::DoorTexts{pick(2) == 0, std::to_string(pick(130)),
                                                  std::to_string(pick(300))}};
    const MouseState held{pick(4) == 0, pick(4) == 0, pick(4) == 0, true, pick(8) == 0, false};
    const int x = pick(64) - 2, y = pick(64) - 2;

    // A full history drops its oldest state at the next push, which would hide the push.
    if (doc->UndoCount() == MapDocument::kMaxUndo && pick(2) == 0) doc->ClearUndo();
    const Snapshot before = Take(*doc);
    const int undoBefore = doc->UndoCount();
    if (pick(5) == 0) {
      dispatch.MoveCell(x, y, held);
    } else {
      dispatch.PressCell(x, y, pick(6) == 0 ? MouseButton::Right : MouseButton::Left, held);
    }
    if (doc->UndoCount() > undoBefore && pick(4) == 0) {
      // Drags may push several snapshots; undo them all.
      while (doc->UndoCount() > undoBefore) doc->PopUndo();
      ASSERT_EQ(Take(*doc), before) << "action " << i;
      ++undoChecks;
    }
    if (pick(500) == 0) {
      const std::string file = dir.File("soak.map");
      ASSERT_TRUE(SaveMap(*doc, file, kBitCountData));  // moves library 7 to 6 first
      const Snapshot saved = Take(*doc);
      auto loaded = std::make_unique<MapDocument>();
      ASSERT_TRUE(LoadMap(*loaded, file));
      for (int cx = 0; cx < 60; ++cx)
        for (int cy = 0; cy < 60; ++cy)
          ASSERT_EQ(loaded->Cell(cx, cy), saved[static_cast<std::size_t>(cx * kSide + cy)]);
      ++reloads;
    }
  }
  EXPECT_GT(undoChecks, actions / 40);
  // The history holds at most ten states, whatever the session did.
  EXPECT_LE(doc->UndoCount(), MapDocument::kMaxUndo);
  EXPECT_LT(doc->UndoMemoryBytes(), 11u * CellStorage::kTotalBytes);
  std::printf("soak: %d actions, %d undo checks, %d reloads, undo memory %.2f MiB\n", actions,
              undoChecks, reloads, static_cast<double>(doc->UndoMemoryBytes()) / (1 << 20));
}

}  // namespace
}  // namespace hl

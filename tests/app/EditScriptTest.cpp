#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "TempDir.h"
#include "app/EditScript.h"
#include "map/MapFile.h"
#include "objects/ObjectSets.h"
#include "tools/BigTilePainter.h"

namespace hl {
namespace {

class EditScriptTest : public ::testing::Test {
 protected:
  std::optional<ScriptError> Run(const std::string& text, SelectionLimits limits = {}) {
    EditScript script(*doc_, kBitCountData, 7, limits);
    std::istringstream in(text);
    return script.Run(in);
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
};

TEST_F(EditScriptTest, PressesRunTheSameRoutinesAsTheMouse) {
  ASSERT_EQ(Run("# a block of group 3\n\nlayer 0\nbig-group 3\npress 9 10\n"), std::nullopt);
  auto direct = std::make_unique<MapDocument>();
  NoRedraw none;
  ToolRandom random(7);
  BigTilePainter(*direct, none, random, 3).PaintBigBlock(8, 8);
  for (int x = 0; x < 30; ++x) {
    for (int y = 0; y < 30; ++y) ASSERT_EQ(doc_->Cell(x, y), direct->Cell(x, y)) << x << "," << y;
  }
  EXPECT_EQ(doc_->UndoCount(), 1);
}

TEST_F(EditScriptTest, RectanglePressesStepOverTheCells) {
  ASSERT_EQ(Run("layer 1\ntile 3\npress-rect 0 0 10 4 2\n"), std::nullopt);
  EXPECT_EQ(doc_->GetBackTile(10, 4), 3);
  EXPECT_EQ(doc_->GetBackTile(12, 4), -1);
  EXPECT_EQ(doc_->GetBackTile(10, 6), -1);
  EXPECT_EQ(doc_->UndoCount(), 1);  // the whole rectangle is one step
}

TEST_F(EditScriptTest, PixelPressesUseTheScriptZoom) {
  ASSERT_EQ(Run("layer 1\ntile 5\nzoom 2\npress-px 67230 40\nzoom 0.4\npress-px 100 50\n"),
            std::nullopt);
  EXPECT_EQ(doc_->GetBackTile(700, 0), 5);
  EXPECT_EQ(doc_->GetBackTile(4, 2), 5);  // cell (5, 3), even cell (4, 2)
}

TEST_F(EditScriptTest, MapCommandsAndUndo) {
  ASSERT_EQ(Run("layer 1\ntile 2\npress 0 0\nscroll 4 0\nresize 50 60\nundo\n"), std::nullopt);
  EXPECT_EQ(doc_->MapWidth(), 200);  // the resize was undone, size and all
  EXPECT_EQ(doc_->GetBackTile(4, 0), 2);
  ASSERT_EQ(Run("undo\n"), std::nullopt);
  EXPECT_EQ(doc_->GetBackTile(0, 0), 2);  // then the scroll
  ASSERT_EQ(Run("redo\nredo\n"), std::nullopt);
  EXPECT_EQ(doc_->GetBackTile(4, 0), 2);
  EXPECT_EQ(doc_->MapWidth(), 50);
  EXPECT_EQ(doc_->MapHeight(), 60);
}

TEST_F(EditScriptTest, StrokesRunFromAPressToTheLastDragAfterIt) {
  // Ctrl-drags keep painting single tiles: press, two drags and a comment are one step.
  ASSERT_EQ(Run("layer 1\ntile 4\npress 0 0\ndrag 2 0 left ctrl\n\n# on\ndrag 4 0 left ctrl\n"
                "press 6 0\n"),
            std::nullopt);
  EXPECT_EQ(doc_->UndoCount(), 2);
  ASSERT_EQ(Run("undo\nundo\n"), std::nullopt);
  for (int x : {0, 2, 4, 6}) EXPECT_EQ(doc_->GetBackTile(x, 0), -1) << x;

  // undo ends the stroke: the drag after it starts a step of its own.
  doc_ = std::make_unique<MapDocument>();
  ASSERT_EQ(Run("layer 1\ntile 4\npress 0 0\nundo\ndrag 2 0 left ctrl\nundo\n"), std::nullopt);
  EXPECT_EQ(doc_->GetBackTile(0, 0), -1);
  EXPECT_EQ(doc_->GetBackTile(2, 0), -1);
  EXPECT_EQ(doc_->RedoCount(), 1);  // the drag, a new step, ended the first redo
}

TEST_F(EditScriptTest, ErasingTwoHousesIsUndoneOneAtATime) {
  // Objects at two cells, then the eraser ("3") over each: undo brings back the last erased
  // first, and the older placements stay.
  ASSERT_EQ(Run("tool 3\nlayer 0\nobject 5\npress 10 10\nobject 6\npress 20 20\n"
                "layer 5\npress 10 10\npress 20 20\nundo\n"),
            std::nullopt);
  EXPECT_EQ(doc_->GetObject(20, 20), 6);
  EXPECT_EQ(doc_->GetObject(10, 10), -1);
  ASSERT_EQ(Run("undo\n"), std::nullopt);
  EXPECT_EQ(doc_->GetObject(10, 10), 5);
  EXPECT_EQ(doc_->GetObject(20, 20), 6);
  EXPECT_EQ(doc_->UndoName(), "Draw Objects");
}

TEST_F(EditScriptTest, MapCommandsTakeOnlyNumbers) {
  doc_->SetMapSize(30, 20);
  doc_->SetLight(3, 3, 2);
  for (const char* line : {"resize 10 tall", "resize ten 10", "resize 10 5x", "scroll 1 down",
                           "scroll +x 1", "scroll 1.5 0"}) {
    const auto error = Run("layer 1\n" + std::string(line) + "\n");
    ASSERT_TRUE(error.has_value()) << line;
    EXPECT_EQ(error->Line, 2);
    EXPECT_NE(error->Message.find("refused the answer"), std::string::npos) << error->Message;
  }
  EXPECT_EQ(doc_->MapWidth(), 30);
  EXPECT_EQ(doc_->MapHeight(), 20);
  EXPECT_EQ(doc_->Cell(3, 3).Light, 2);
  EXPECT_EQ(doc_->UndoCount(), 0);
  // Signs are numbers, as in the dialogs.
  ASSERT_EQ(Run("scroll -1 +0\nresize +40 25\n"), std::nullopt);
  EXPECT_EQ(doc_->Cell(2, 3).Light, 2);
  EXPECT_EQ(doc_->MapWidth(), 40);
}

TEST_F(EditScriptTest, RegionsAreCopiedPastedMovedAndUndoneOneStepEach) {
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 4; ++y)
      doc_->SetCell(x, y, TMapCell{static_cast<std::uint16_t>(0x8000 | (x * 4 + y + 1)), 7,
                                   static_cast<std::uint16_t>(x + 1), 0, 0, 0, 0, 0, 3});
  // An odd corner with the ground grows to whole blocks: (1, 1)-(2, 2) becomes (0, 0)-(3, 3).
  ASSERT_EQ(Run("select 1 1 2 2\ncopy\npaste 11 21\n"), std::nullopt);
  EXPECT_EQ(doc_->Cell(10, 20), doc_->Cell(0, 0));  // landed on the even cell (10, 20)
  EXPECT_EQ(doc_->Cell(13, 23), doc_->Cell(3, 3));
  EXPECT_EQ(doc_->UndoName(), "Paste");

  // Only the small tiles, merged: the target keeps its ground and objects.
  doc_->SetCell(30, 30, TMapCell{5, 0, 9, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(Run("select 1 1 1 1 small\ncopy\npaste 30 30 ctrl\n"), std::nullopt);
  EXPECT_EQ(doc_->Cell(30, 30), (TMapCell{5, 7, 9, 0, 0, 0, 0, 0, 0}));

  const TMapCell corner = doc_->Cell(0, 0);
  ASSERT_EQ(Run("select 0 0 3 3\nmove 5 5\n"), std::nullopt);  // snapped to (4, 4)
  EXPECT_EQ(doc_->Cell(4, 4), corner);
  EXPECT_EQ(doc_->Cell(0, 0), TMapCell{});
  ASSERT_EQ(Run("undo\n"), std::nullopt);
  EXPECT_EQ(doc_->Cell(0, 0), corner);
  EXPECT_EQ(doc_->Cell(4, 4), TMapCell{});

  ASSERT_EQ(Run("select 0 0 3 3 objects attributes\ncut\n"), std::nullopt);
  EXPECT_EQ(doc_->Cell(0, 0).ObjectImage, 0);
  EXPECT_EQ(doc_->Cell(0, 0).BackTile, corner.BackTile & 0x7FFF);  // the ground stays
  EXPECT_EQ(doc_->UndoName(), "Cut");
  ASSERT_EQ(Run("undo\nselect 0 0 0 0 attributes\ndelete\n"), std::nullopt);
  EXPECT_EQ(doc_->Cell(0, 0).Light, 0);
  EXPECT_EQ(doc_->UndoName(), "Delete");
}

TEST_F(EditScriptTest, RectanglesFillAsTheBrushPressedOnEveryBlock) {
  ASSERT_EQ(Run("layer 0\nbig-group 1\nfill-rect 5 5 13 9\n"), std::nullopt);
  EXPECT_EQ(doc_->UndoCount(), 1);
  auto pressed = std::make_unique<MapDocument>();
  {
    EditScript script(*pressed, kBitCountData, 7, {});
    std::istringstream in("layer 0\nbig-group 1\npress-rect 4 4 13 9 4\n");
    ASSERT_EQ(script.Run(in), std::nullopt);
  }
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 16; ++y) ASSERT_EQ(doc_->Cell(x, y), pressed->Cell(x, y)) << x << "," << y;
  ASSERT_EQ(Run("tool 1\nsmall-group 1\nfill-rect 30 30 32 31\n"), std::nullopt);
  EXPECT_EQ(doc_->GetMiddleTile(31, 31) / 60, 1);
  EXPECT_EQ(doc_->UndoCount(), 2);
}

TEST_F(EditScriptTest, RegionLinesSayWhatTheyLack) {
  for (const char* bad : {"copy\n", "cut\n", "delete\n", "move 1 1\n", "paste 0 0\n",
                          "select 5 5 4 4\n", "select 0 0 999 3\n", "select 0 0 1 1 water\n",
                          "fill-rect 0 0 3 3\n", "tool 3\nfill-rect 0 0 3 3\n", "tool 8\n"}) {
    doc_ = std::make_unique<MapDocument>();
    const auto error = Run(std::string("layer 1\n") + bad);
    ASSERT_TRUE(error.has_value()) << bad;
    EXPECT_GE(error->Line, 2) << bad;
    EXPECT_EQ(doc_->UndoCount(), 0) << bad;
  }
}

TEST_F(EditScriptTest, BadLinesStopWithTheirNumber) {
  struct Case {
    std::string Script;
    int Line;
  };
  for (const Case& c :
       {Case{"tool 1\nfly 2 3\n", 2}, Case{"layer 9\n", 1}, Case{"zoom 0.333\n", 1},
        Case{"\n# x\npress 1\n", 3}, Case{"press 1 2 sideways\n", 1}, Case{"big-group 655\n", 1},
        Case{"small-group -1\n", 1}, Case{"tile 32767\n", 1}, Case{"answer-light 3\n", 1},
        Case{"object 1310700\n", 1}, Case{"set kel.set 0\n", 1},
        Case{"press-rect 5 5 1 9 2\n", 1}, Case{"press-rect 0 0 9 9 0\n", 1},
        Case{"press-rect 0 0 1011 3 2\n", 1}}) {
    const auto error = Run(c.Script);
    ASSERT_TRUE(error.has_value()) << c.Script;
    EXPECT_EQ(error->Line, c.Line) << c.Script;
    EXPECT_FALSE(error->Message.empty());
  }
}

TEST_F(EditScriptTest, EveryVerbInTheHelpIsOneTheReaderKnows) {
  std::istringstream help(EditScript::VerbHelp());
  int verbs = 0;
  for (std::string line; std::getline(help, line);) {
    if (line.rfind("  ", 0) != 0 || line.rfind("      ", 0) == 0) continue;  // descriptions
    const std::string verb = line.substr(2, line.find(' ', 2) - 2);
    ++verbs;
    const auto error = Run(verb + "\n");
    if (error) {
      EXPECT_EQ(error->Message.find("unknown command"), std::string::npos) << verb;
    }
  }
  EXPECT_GE(verbs, 19);
  EXPECT_EQ(Run("frobnicate\n")->Message, "unknown command 'frobnicate'");
}

TEST_F(EditScriptTest, ZoomsAreTypedAsOnTheCommandLine) {
  // "001" and "1." read as 1 here as they do for hlmap render; press-px then lands on the
  // cell under pixel (50, 40) at zoom 1.
  for (const char* zoom : {"001", "1.", "1"}) {
    doc_ = std::make_unique<MapDocument>();
    ASSERT_EQ(Run(std::string("layer 1\ntile 5\nzoom ") + zoom + "\npress-px 100 70\n"),
              std::nullopt)
        << zoom;
    EXPECT_EQ(doc_->GetBackTile(2, 2), 5) << zoom;
  }
}

TEST_F(EditScriptTest, EndlessLinesAndWorkAreRefused) {
  // A script without line breaks stops at the limit instead of filling the memory.
  const auto endless = Run("layer 1\n" + std::string(EditScript::kMaxLineLength + 1, 'x'));
  ASSERT_TRUE(endless.has_value());
  EXPECT_EQ(endless->Line, 2);
  EXPECT_NE(endless->Message.find("longer than"), std::string::npos);
  const auto longest = Run(std::string(EditScript::kMaxLineLength, 'x') + "\n");
  ASSERT_TRUE(longest.has_value());
  EXPECT_NE(longest->Message.find("unknown command"), std::string::npos);

  // A rectangle that would pass the budget is refused whole, before its first press: a single
  // tile is 4 cells in 2 columns a press, and every line its length and kLineWork.
  // The first rectangle: 25 presses of 4 cells, in 9 + 2 columns; the second: 4 presses in
  // 2 + 2.
  constexpr std::uint64_t column = EditScript::kColumnWork;
  constexpr std::uint64_t first = 25 * 4 + 11 * column, second = 4 * 4 + 4 * column;
  const std::string text =
      "layer 1\ntile 3\npress-rect 0 0 8 8 2\nundo\npress-rect 20 20 21 21 1\n";
  const std::uint64_t lines = 5 * EditScript::kLineWork + text.size() - 5;
  EditScript script(*doc_, kBitCountData, 7, {});
  script.SetWorkBudget(lines + first + second - 1);
  std::istringstream in(text);
  const auto error = script.Run(in);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Line, 5);
  EXPECT_EQ(error->Message, "the script's work would pass its budget of " +
                                std::to_string(lines + first + second - 1).insert(2, ",") +
                                " cells (see 'hlmap apply --help')");
  EXPECT_EQ(script.WorkDone(), lines + first);
  EXPECT_EQ(doc_->GetBackTile(8, 6), -1);  // 25 presses in one step, undone
  EXPECT_EQ(doc_->GetBackTile(0, 0), -1);
  EXPECT_EQ(doc_->GetBackTile(20, 20), -1);
}

TEST_F(EditScriptTest, LinesAreChargedByTheCellsTheyMayTouch) {
  // What one line adds to the work done, run on its own after `before`.
  const auto workOf = [&](const std::string& before, const std::string& line,
                          const std::string& folder = {}) {
    doc_ = std::make_unique<MapDocument>();
    doc_->SetMapSize(999, 999);
    EditScript script(*doc_, kBitCountData, 7, {});
    script.SetSetFolder(folder);
    std::istringstream first(before);
    EXPECT_EQ(script.Run(first), std::nullopt) << before;
    const std::uint64_t done = script.WorkDone();
    std::istringstream in(line + "\n");
    EXPECT_EQ(script.Run(in), std::nullopt) << line;
    return script.WorkDone() - done - EditScript::kLineWork - line.size();
  };
  constexpr std::uint64_t column = EditScript::kColumnWork;
  // The bulk commands go through 1,001 x 1,001 cells whatever the map's size, changing every
  // column: "scroll 1 1" was one action, move-object and delete-object nothing at all.
  constexpr std::uint64_t wide = 1001 * 1001 + 1001 * column;
  EXPECT_EQ(workOf("", "scroll 1 1"), wide);
  EXPECT_EQ(workOf("", "move-object 0 1"), wide);
  EXPECT_EQ(workOf("", "delete-object 0"), wide);
  EXPECT_EQ(workOf("", "resize 30 20"), 600u);
  EXPECT_EQ(workOf("", "tool 1"), 0u);
  // Presses by their brush, keys included.
  EXPECT_EQ(workOf("layer 0", "press 5 5"), 1908 + 18 * column);
  EXPECT_EQ(workOf("layer 2", "press 5 5"), 999u * 999 + 999 * column);
  EXPECT_EQ(workOf("layer 3", "press 5 5 right"), 65535u + 999 * column);
  EXPECT_EQ(workOf("layer 5", "press 5 5 left shift"), 21u * 21 + 21 * column);
  EXPECT_EQ(workOf("layer 5", "drag 6 5 left ctrl"), 9u + 3 * column);
  EXPECT_EQ(workOf("tool 1\nlayer 0", "press 5 5"), 9 * 43679 + 65 * column);
  EXPECT_EQ(workOf("tool 1\nlayer 1", "press 5 5"), 0u) << "small tiles paint on layer Big only";
  EXPECT_EQ(workOf("tool 7", "press 5 5"), 0u);
  // A rectangle is one stroke: each column it reaches is copied once.
  EXPECT_EQ(workOf("layer 1\ntile 2", "press-rect 0 0 9 9 5"), 4 * 4 + 8 * column);
  EXPECT_EQ(workOf("layer 1\ntile 2", "press-rect 0 0 90 0 1"), 91 * 4 + (91 + 2) * column);
  // Regions by their rectangles.
  EXPECT_EQ(workOf("", "select 0 0 9 19"), 200u);
  EXPECT_EQ(workOf("select 0 0 9 19", "copy"), 200u);
  EXPECT_EQ(workOf("select 0 0 9 19", "delete"), 200 + 10 * column);
  EXPECT_EQ(workOf("select 0 0 9 19\ncopy", "paste 50 50"), 200 + 10 * column);
  EXPECT_EQ(workOf("select 0 0 9 19", "move 3 3"), 2 * (200 + 10 * column));
  EXPECT_EQ(workOf("layer 0", "fill-rect 0 0 7 3"), 2 * 1908 + (8 + 18) * column);
  EXPECT_EQ(workOf("tool 1", "fill-rect 0 0 7 3"), 32 * 9 * 43679 + (8 + 65) * column);

  // A set file by its bytes, each time it is read.
  test::TempDir dir;
  ObjectSetList sets;
  sets.Items = {
      TObjectSet{{0, 0, 4, 10, 0, 0, 0, 0, 0, 0, 0}, {5, 0, -1, 11, 0, 0, 0, 0, 0, 0, 0}}};
  ASSERT_TRUE(sets.SaveSets(dir.File("a.set")));
  const std::uint64_t bytes = test::ReadFileBytes(dir.File("a.set")).size();
  EXPECT_EQ(workOf("", "set a.set 0", dir.Path() + "/"), bytes * EditScript::kSetByteWork);
  EXPECT_EQ(workOf("set a.set 0", "set a.set 0", dir.Path() + "/"), 0u) << "already read";
  // The set's records twice, in the columns it spans and the one before.
  EXPECT_EQ(workOf("set a.set 0", "press 20 20", dir.Path() + "/"), 4 + 7 * column);
}

TEST_F(EditScriptTest, AScriptOfCheapLinesStillEndsAtTheBudget) {
  // Lines that are only comments, or that change nothing, are charged their reading: an
  // endless stream of them stops.
  EditScript script(*doc_, kBitCountData, 7, {});
  script.SetWorkBudget(10 * EditScript::kLineWork + 3);
  std::istringstream in(std::string(50, '\n'));
  const auto error = script.Run(in);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Line, 11);
  EXPECT_NE(error->Message.find("budget of 10,113 cells"), std::string::npos) << error->Message;
}

TEST_F(EditScriptTest, TheDemosScriptsStayFarInsideTheBudget) {
  const std::string demo = std::string(HL_FIXTURE_DIR) + "/../../demo/";
  for (const auto& [name, side] : {std::pair{"demo-map.txt", 200}, std::pair{"world.txt", 240}}) {
    doc_ = std::make_unique<MapDocument>();
    doc_->SetMapSize(side, side);
    EditScript script(*doc_, kBitCountData, 2026, {});
    script.SetSetFolder(demo);
    std::ifstream in(demo + name);
    ASSERT_TRUE(in) << name;
    ASSERT_EQ(script.Run(in), std::nullopt) << name;
    EXPECT_LT(script.WorkDone(), EditScript::kDefaultWorkBudget / 100) << name;
    EXPECT_GT(script.WorkDone(), 0u);
  }
}

TEST_F(EditScriptTest, SetsComeFromAFileRow) {
  test::TempDir dir;
  const std::string file = dir.File("a.set");
  ObjectSetList sets;
  sets.Items = {TObjectSet{{0, 0, 4, 10, 0, 0, 0, 0, 0, 0, 0}, {1, 0, -1, 11, 0, 0, 0, 0, 0, 0, 0}},
                std::nullopt, TObjectSet{{0, 1, -1, 20, 0, 0, 0, 0, 0, 0, 0}}};
  ASSERT_TRUE(sets.SaveSets(file));
  ASSERT_EQ(Run("set " + file + " 1\npress 5 7\nset none\npress 9 9\nset " + file +
                " 0\npress 5 7\npress 5 7\n"),
            std::nullopt);
  EXPECT_EQ(doc_->Cell(5, 8).ObjectImage, 21);  // the slot is not kept in the file
  EXPECT_EQ(doc_->Cell(5, 7).ObjectImage, 11);  // the last stamp collided and changed nothing
  EXPECT_EQ(doc_->Cell(6, 7).ObjectImage, 12);
  EXPECT_EQ(doc_->Cell(4, 6).BackTile, 5);
  EXPECT_EQ(doc_->Cell(9, 9), TMapCell{});
  EXPECT_EQ(doc_->UndoCount(), 2);  // presses that changed nothing leave no step
  for (const std::string& bad : {"set " + file + " 2", "set " + file, "set " + dir.File("no.set") +
                                                                          " 0"}) {
    const auto e = Run(bad + "\n");
    ASSERT_TRUE(e.has_value()) << bad;
    EXPECT_FALSE(e->Message.empty());
  }
}

TEST_F(EditScriptTest, DialogsAreAnsweredByTheScript) {
  ASSERT_EQ(Run("tool 5\nanswer-light 7\npress 3 3\ntool 6\nanswer-door 5 2 core\npress 4 4\n"
                "answer-door cancel\npress 4 4\n"),
            std::nullopt);
  EXPECT_EQ(doc_->Cell(3, 3).Light, 7);
  EXPECT_EQ(doc_->Cell(4, 4).Door, 0x85);
  EXPECT_EQ(doc_->Cell(4, 4).DoorOffset, 2);
  const auto missing = Run("tool 5\npress 3 3\n");
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->Line, 2);
  const auto unused = Run("tool 0\nanswer-door 1 1\npress 1 1\n");
  ASSERT_TRUE(unused.has_value());
  EXPECT_EQ(unused->Line, 2);
  EXPECT_EQ(Run("answer-door 1\n")->Line, 1);
}

TEST_F(EditScriptTest, ARefusedAnswerStopsTheScriptAtItsLine) {
  struct Case {
    std::string Script;
    int Line;
    std::string Message;
  };
  const std::string light = "The light value must be a whole number from 0 to 255";
  for (const Case& k :
       {Case{"tool 5\nanswer-light -1\npress 3 3\npress 4 4\n", 2,
             "the light dialog refused the answer: " + light + ", not \"-1\"."},
        Case{"tool 5\nanswer-light abc\npress 3 3\n", 2,
             "the light dialog refused the answer: " + light + ", not \"abc\"."},
        Case{"tool 6\nanswer-door 128 0\npress 3 3\n", 2,
             "the door dialog refused the answer: The door index must be a whole number from "
             "0 to 127, not \"128\"."},
        Case{"tool 6\nanswer-door 5 100000\npress 3 3\n", 2,
             "the door dialog refused the answer: The door offset must be a whole number from "
             "0 to 255, not \"100000\"."},
        Case{"layer 1\nresize 0 10\nundo\n", 2,
             "the map size dialog refused the answer: X (the width) must be a whole number from "
             "1 to 999, not \"0\"."},
        Case{"resize 50 abc\n", 1,
             "the map size dialog refused the answer: Y (the height) must be a whole number "
             "from 1 to 999, not \"abc\"."},
        Case{"scroll abc 0\n", 1,
             "the ScrollMap dialog refused the answer: Cords X must be a whole number from "
             "-1000 to 1000, not \"abc\"."}}) {
    doc_ = std::make_unique<MapDocument>();
    const auto error = Run(k.Script);
    ASSERT_TRUE(error.has_value()) << k.Script;
    EXPECT_EQ(error->Line, k.Line) << k.Script;
    EXPECT_EQ(error->Message, k.Message);
    // Nothing the refused answer would have done was done.
    EXPECT_EQ(doc_->Cell(3, 3), TMapCell{}) << k.Script;
    EXPECT_EQ(doc_->MapWidth(), 200) << k.Script;
  }
  // A cancelled light dialog changes nothing and the script goes on.
  doc_->SetLight(3, 3, 2);
  ASSERT_EQ(Run("tool 5\nanswer-light cancel\npress 3 3\nanswer-light 4\npress 5 5\n"),
            std::nullopt);
  EXPECT_EQ(doc_->Cell(3, 3).Light, 2);
  EXPECT_EQ(doc_->Cell(5, 5).Light, 4);
}

TEST_F(EditScriptTest, BulkObjectMoves) {
  doc_->SetCell(2, 2, TMapCell{0, 0, 5, 0, 0, 0, 0, 1, 0});
  doc_->SetCell(6, 6, TMapCell{0, 0, 1, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(Run("move-object 4 2\ndelete-object 0\n"), std::nullopt);
  EXPECT_EQ(doc_->Cell(2, 4).ObjectImage, 5);
  EXPECT_EQ(doc_->Cell(2, 4).ObjectLib, 1);
  EXPECT_EQ(doc_->Cell(6, 6).ObjectImage, 0);
  EXPECT_EQ(doc_->UndoCount(), 2);
  EXPECT_EQ(Run("move-object 4\n")->Line, 1);
}

TEST_F(EditScriptTest, SelectionsAreCheckedAgainstTheLibraries) {
  SelectionLimits limits;
  limits.BigTileGroups = 4;
  limits.Tiles = 200;
  limits.ObjectImages[0] = 60;
  EXPECT_EQ(Run("big-group 3\ntile 199\nobject 59\nobject -1\n", limits), std::nullopt);
  EXPECT_EQ(Run("big-group 4\n", limits)->Line, 1);
  EXPECT_EQ(Run("tile 200\n", limits)->Line, 1);
  EXPECT_EQ(Run("object 60\n", limits)->Line, 1);
}


}  // namespace
}  // namespace hl

namespace hl {
namespace {

TEST_F(EditScriptTest, ASetMadeFromASelectionIsAppendedAndPlacesTheSameCells) {
  test::TempDir dir;
  const std::string file = dir.File("made.set");
  // A 2 x 2 block of big tile 7, objects, a light, a door and marks; small tiles everywhere.
  for (int x = 4; x < 6; ++x) {
    for (int y = 2; y < 4; ++y) {
      TMapCell c{};
      c.BackTile = 7;
      c.MiddleTile = 3;
      doc_->SetCell(x, y, c);
    }
  }
  TMapCell special = doc_->Cell(5, 3);
  special.ObjectImage = 0x8000 | 12;
  special.ObjectLib = 1;
  special.Light = 2;
  special.Door = 0x83;
  special.DoorOffset = 4;
  doc_->SetCell(5, 3, special);
  TMapCell marked = doc_->Cell(4, 2);
  marked.BackTile |= 0x8000;
  doc_->SetCell(4, 2, marked);
  ASSERT_EQ(Run("select 4 2 5 3\nnew-set " + file + "\nnew-set " + file + "\n"), std::nullopt);
  const auto text = test::ReadFileBytes(file);
  const std::string written(text.begin(), text.end());
  EXPECT_EQ(written.rfind("NEW\r\n[0]\r\n", 0), 0u) << written;
  EXPECT_NE(written.find("\r\n[1]\r\n"), std::string::npos) << written;
  EXPECT_EQ(doc_->UndoCount(), 0);  // making a set changes no cell

  ObjectSetList sets;
  std::string error;
  ASSERT_TRUE(sets.LoadSets(file, &error)) << error;
  ASSERT_EQ(sets.Items.size(), 2u);
  EXPECT_EQ(*sets.Items[0], *sets.Items[1]);

  // Placed at an even origin over empty cells: the same cells but for the small tiles.
  auto placed = std::make_unique<MapDocument>();
  std::swap(doc_, placed);
  ASSERT_EQ(Run("tool 4\nset " + file + " 1\npress 20 10\n"), std::nullopt);
  std::swap(doc_, placed);
  for (int dx = 0; dx < 2; ++dx) {
    for (int dy = 0; dy < 2; ++dy) {
      TMapCell expected = doc_->Cell(4 + dx, 2 + dy);
      expected.MiddleTile = 0;
      EXPECT_EQ(placed->Cell(20 + dx, 10 + dy), expected) << dx << "," << dy;
    }
  }
}

TEST_F(EditScriptTest, NewSetRefusesOlderLayoutFilesAndLinesWithoutASelection) {
  test::TempDir dir;
  const std::string old = dir.File("old.set");
  const std::string oldText = "[0]\r\n0 0 5 10003 0 0 0 f 0 0 0 \r\n";
  test::WriteFileBytes(old, {oldText.begin(), oldText.end()});
  const auto error = Run("select 0 0 1 1\nnew-set " + old + "\n");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Line, 2);
  EXPECT_NE(error->Message.find("older layout"), std::string::npos) << error->Message;
  const auto after = test::ReadFileBytes(old);
  EXPECT_EQ(std::string(after.begin(), after.end()), oldText);  // nothing converted or dropped
  for (const char* bad : {"new-set x.set\n", "select 0 0 1 1\nnew-set\n"}) {
    ASSERT_TRUE(Run(bad).has_value()) << bad;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.set")));
}

}  // namespace
}  // namespace hl

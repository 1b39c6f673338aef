#include <gtest/gtest.h>

#include <memory>

#include "TempDir.h"
#include "cli/RunHlmap.h"
#include "map/MapFile.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

TEST(HlmapApply, ScriptsRebuildTheSameMapWithTheSameSeed) {
  test::TempDir dir;
  test::WriteTestLibraries(dir.Path());
  const std::string script = dir.File("paint.txt");
  test::WriteFileBytes(
      script, std::vector<std::uint8_t>{'l', 'a', 'y', 'e', 'r', ' ', '0', '\n', 'p', 'r', 'e', 's',
                                        's', ' ', '8', ' ', '8', '\n'});
  for (const char* out : {"a.map", "b.map"}) {
    const auto r = test::Hlmap({"apply", "new:30x20", dir.File(out), "--seed", "11", "--script",
                                script, "--libs", dir.Path()});
    ASSERT_EQ(r.Code, 0) << r.Err;
  }
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.map")), test::ReadFileBytes(dir.File("b.map")));
  auto doc = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*doc, dir.File("a.map")));
  EXPECT_EQ(doc->MapWidth(), 30);
  EXPECT_GE(doc->GetBackTile(8, 8), 0);

  // The test libraries have 10 tiles: group 1 does not exist there.
  test::WriteFileBytes(script, std::vector<std::uint8_t>{'b', 'i', 'g', '-', 'g', 'r', 'o', 'u',
                                                         'p', ' ', '1', '\n'});
  const auto bad = test::Hlmap(
      {"apply", "new:30x20", dir.File("c.map"), "--script", script, "--libs", dir.Path()});
  EXPECT_EQ(bad.Code, 2);
  EXPECT_EQ(bad.Err.rfind("hlmap: line 1: ", 0), 0u) << bad.Err;
  EXPECT_FALSE(test::FileExists(dir.File("c.map")));
  EXPECT_EQ(test::Hlmap({"apply", "new:0x5", dir.File("c.map")}).Code, 2);

  const std::string shrink = "resize 30 0\n";
  test::WriteFileBytes(script, {shrink.begin(), shrink.end()});
  const auto empty =
      test::Hlmap({"apply", dir.File("a.map"), dir.File("a.map"), "--script", script});
  // A map without rows, which no editor could open again: the size dialog does not take it.
  EXPECT_EQ(empty.Code, 2);
  EXPECT_NE(empty.Err.find("hlmap: line 1: the map size dialog refused the answer: Y (the height)"),
            std::string::npos)
      << empty.Err;
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.map")), test::ReadFileBytes(dir.File("b.map")));
}

TEST(HlmapApply, MapCommandsTakeNumbersOnly) {
  test::TempDir dir;
  const std::string script = dir.File("s.txt");
  const std::string out = dir.File("out.map");
  for (const auto& [text, error] :
       {std::pair<std::string, std::string>{
            "layer 1\nresize 10 tall\n",
            "line 2: the map size dialog refused the answer: Y (the height) must be a whole "
            "number from 1 to 999, not \"tall\"."},
        {"scroll 2 right\n",
         "line 1: the ScrollMap dialog refused the answer: Cords Y must be a whole number from "
         "-1000 to 1000, not \"right\"."}}) {
    test::WriteFileBytes(script, {text.begin(), text.end()});
    const auto r = test::Hlmap({"apply", "new:30x20", out, "--script", script});
    EXPECT_EQ(r.Code, 2) << text;
    EXPECT_EQ(r.Err, "hlmap: " + error + "\n");
    EXPECT_FALSE(test::FileExists(out));
  }
}

TEST(HlmapApply, TheHelpGivesTheBudgetAndWhatEveryLineCosts) {
  const auto r = test::Hlmap({"apply", "--help"});
  ASSERT_EQ(r.Code, 0);
  EXPECT_NE(r.Out.find("a script may do 40,000,000,000 cells of it"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("  scroll DX DY\n      Map Scroll\n      work: the 1,000 x 1,000 cells it "
                       "moves and their columns\n"),
            std::string::npos);
  EXPECT_NE(r.Out.find("  Draw SM Tiles, layer Big: 393,111 cells in 65 columns\n"),
            std::string::npos);
  EXPECT_NE(r.Out.find("  layer \"3\" (eraser): 441 cells in 21 columns with shift,\n      9 cells "
                       "in 3 columns with ctrl, else 1 cell in 1 column\n"),
            std::string::npos);
}

}  // namespace
}  // namespace hl

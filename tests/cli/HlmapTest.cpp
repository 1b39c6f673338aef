#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "RunHlmap.h"
#include "TempDir.h"
#include "app/MainCommands.h"
#include "app/ScriptedQuestions.h"
#include "cli/Hlmap.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"

namespace hl {
namespace {

using Result = test::HlmapResult;
using test::Hlmap;

class HlmapTest : public ::testing::Test {
 protected:
  std::string SaveSample(const std::string& name, std::uint8_t bitCount = kBitCountData) {
    auto doc = std::make_unique<MapDocument>();
    doc->SetMapSize(30, 20);
    doc->SetCell(0, 0, TMapCell{0x8001, 2, 0x8003, 0x81, 1, 0, 0, 1, 4});
    doc->SetCell(29, 19, TMapCell{0x8000, 0, 0x0004, 0, 0, 0, 0, 7, 0});
    doc->SetCell(5, 5, TMapCell{0, 7, 0, 0, 0, 0, 0, 0, 0});
    doc->SetCell(30, 0, TMapCell{1, 1, 1, 1, 1, 1, 1, 1, 1});  // outside the map
    const std::string path = dir_.File(name);
    EXPECT_TRUE(SaveMap(*doc, path, bitCount));
    return path;
  }
  test::TempDir dir_;
};

TEST_F(HlmapTest, InfoCountsTheCellsInUse) {
  const std::string path = SaveSample("a.map");
  const Result r = Hlmap({"info", path});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "{\"width\":30,\"height\":20,\"title\":\"Quiet Harbour\",\"bitcount\":16,"
            "\"cells\":{\"back\":1,\"middle\":2,\"object\":2,\"light\":1,\"door\":1,"
            "\"backmark\":2,\"frontmark\":1}}\n");
  EXPECT_EQ(r.Err, "");
}

TEST_F(HlmapTest, InfoEscapesTitleBytes) {
  const std::string path = SaveSample("a.map", kBitCountWil);
  auto bytes = test::ReadFileBytes(path);
  const std::uint8_t title[] = {6, 'a', '"', '\\', 0x01, 0xFF, 0x7F};
  std::copy(std::begin(title), std::end(title), bytes.begin() + 4);
  test::WriteFileBytes(path, bytes);
  const Result r = Hlmap({"info", path});
  ASSERT_EQ(r.Code, 0);
  EXPECT_NE(r.Out.find(R"("title":"a\"\\\u0001\u00FF\u007F","bitcount":0,)"), std::string::npos)
      << r.Out;
}

TEST_F(HlmapTest, InfoFailsOnMapsThatDoNotLoad) {
  test::WriteFileBytes(dir_.File("bad.map"), std::vector<std::uint8_t>(30, 0));
  for (const std::string& path : {dir_.File("bad.map"), dir_.File("missing.map")}) {
    const Result r = Hlmap({"info", path});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err.rfind("hlmap: ", 0), 0u) << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1);
  }
}

TEST_F(HlmapTest, ARefusedMapSaysWhyAndAShortOneIsReadWithAWarning) {
  test::WriteFileBytes(dir_.File("bad.map"), std::vector<std::uint8_t>(30, 0));
  const std::string why = "hlmap: cannot open '" + dir_.File("bad.map") +
                          "': not a map file: the header is 30 bytes, not 52\n";
  EXPECT_EQ(Hlmap({"info", dir_.File("bad.map")}).Err, why);
  EXPECT_EQ(Hlmap({"save-as", dir_.File("bad.map"), dir_.File("out.map")}).Err, why);
  EXPECT_EQ(Hlmap({"apply", dir_.File("bad.map"), dir_.File("out.map")}).Err, why);
  EXPECT_FALSE(test::FileExists(dir_.File("out.map")));

  const std::string path = SaveSample("short.map");
  auto bytes = test::ReadFileBytes(path);
  bytes.resize(kMapHeaderSize + 2 * 20 * sizeof(TMapCell));
  test::WriteFileBytes(path, bytes);
  const Result r = Hlmap({"info", path});
  EXPECT_EQ(r.Code, 0);
  EXPECT_NE(r.Out.find("\"width\":30"), std::string::npos);
  EXPECT_EQ(r.Err, "hlmap: '" + path +
                       "' is shorter than its header says: 2 of 30 columns were read; the rest "
                       "is empty\n");
}

TEST_F(HlmapTest, SaveAsWritesTheChosenFormatAndReportsLibrary7Leftovers) {
  const std::string in = SaveSample("in.map");
  auto doc = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*doc, in));
  doc->SetCell(1, 1, TMapCell{0, 0, 30000, 0, 0, 0, 0, 7, 0});
  ASSERT_TRUE(SaveMap(*doc, in, kBitCountData));

  const std::string out = dir_.File("out.map");
  const Result r = Hlmap({"save-as", in, out, "--format", "wil"});
  EXPECT_EQ(r.Code, 0);
  EXPECT_NE(r.Err.find("1 cell of object library 7"), std::string::npos) << r.Err;
  TMapHeader header;
  ASSERT_TRUE(LoadMap(*doc, out, &header));
  EXPECT_EQ(header.MapBitCount, 0);
  EXPECT_EQ(doc->Cell(1, 1).ObjectLib, 7);

  EXPECT_EQ(Hlmap({"save-as", in, out, "--format=data"}).Code, 0);
  ASSERT_TRUE(LoadMap(*doc, out, &header));
  EXPECT_EQ(header.MapBitCount, 16);
}

TEST_F(HlmapTest, EverySaveReportsTheCellsLeftInLibrary7) {
  // Image 30000 + 9999 does not fit library 6: the cell stays in library 7, and save-as,
  // apply and seg-window all say so in the same words.
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(40, 40);
  doc->SetCell(1, 1, TMapCell{0, 0, 30001, 0, 0, 0, 0, 7, 0});
  doc->SetCell(2, 1, TMapCell{0, 0, 5, 0, 0, 0, 0, 7, 0});  // moves to library 6
  const std::string in = dir_.File("in.map");
  ASSERT_TRUE(WriteMapCopy(*doc, in, kBitCountData));
  ASSERT_TRUE(SaveSegment(*doc, dir_.File("A100100.sem"), 0, 0));
  ASSERT_TRUE(WriteProject(dir_.File("w.mp"), {"A", 1, 1}));
  const std::string script = dir_.File("nothing.txt");
  test::WriteFileBytes(script, {'#', '\n'});

  const std::string saved = dir_.File("saved.map"), applied = dir_.File("applied.map"),
                    cut = dir_.File("cut.map");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"save-as", in, saved},
                                               {"apply", in, applied, "--script", script},
                                               {"seg-window", dir_.File("w.mp"), "0", "0", cut}}) {
    const std::string& out = args[0] == "seg-window" ? cut : args[2];
    const Result r = Hlmap(args);
    EXPECT_EQ(r.Code, 0) << args[0];
    EXPECT_EQ(r.Err, "hlmap: " + out +
                         ": 1 cell of object library 7 cannot be expressed in library 6 and "
                         "stay in library 7\n");
    auto map = std::make_unique<MapDocument>();
    ASSERT_TRUE(LoadMap(*map, out));
    EXPECT_EQ(map->Cell(1, 1).ObjectLib, 7) << args[0];
    EXPECT_EQ(map->Cell(2, 1).ObjectLib, 6) << args[0];
  }
}

TEST_F(HlmapTest, SaveAsFailsWhenEitherSideFails) {
  const std::string in = SaveSample("in.map");
  EXPECT_EQ(Hlmap({"save-as", dir_.File("missing.map"), dir_.File("out.map")}).Code, 1);
  EXPECT_FALSE(test::FileExists(dir_.File("out.map")));
  const Result r = Hlmap({"save-as", in, dir_.File("no/such/dir.map")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err.rfind("hlmap: ", 0), 0u);
}

TEST_F(HlmapTest, SaveFailuresGiveTheReasonTheEditorGives) {
  const std::string in = SaveSample("in.map");
  auto doc = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*doc, in));
  test::ScriptedQuestions q;
  test::RecordingWindow window;
  MainCommands editor(*doc, q, window, kBitCountData);

  test::WriteFileBytes(dir_.File("locked.map"), {1, 2, 3});
  ASSERT_EQ(::chmod(dir_.File("locked.map").c_str(), 0444), 0);
  for (const std::string& out : {dir_.File("no/such/out.map"), dir_.File("locked.map")}) {
    q.Messages.clear();
    q.SaveNames = {out};
    q.YesNoReplies = {true};  // replace the file that is there
    EXPECT_FALSE(editor.SaveAs1Click());
    ASSERT_EQ(q.Messages.size(), 1u) << out;
    EXPECT_EQ(q.Messages[0].rfind("cannot write '" + out + "': ", 0), 0u) << q.Messages[0];
    const Result r = Hlmap({"save-as", in, out});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, "hlmap: " + q.Messages[0] + "\n");
  }

  // A map without rows: the size dialog refuses to make one, in the editor and in a script.
  const std::string script = dir_.File("shrink.txt");
  test::WriteFileBytes(script, {'r', 'e', 's', 'i', 'z', 'e', ' ', '3', '0', ' ', '0', '\n'});
  const std::string out = dir_.File("out.map");
  const Result r = Hlmap({"apply", in, out, "--script", script});
  EXPECT_NE(r.Code, 0);
  EXPECT_EQ(r.Err,
            "hlmap: line 1: the map size dialog refused the answer: Y (the height) must "
            "be a whole number from 1 to 999, not \"0\".\n");
  EXPECT_FALSE(test::FileExists(out));
}

TEST_F(HlmapTest, ConvertOldReportsEveryFileInOrder) {
  const std::string a = SaveSample("a.map");
  const std::string c = SaveSample("c.map");
  const std::string missing = dir_.File("b.map");
  const Result r = Hlmap({"convert-old", "--format", "wil", a, missing, c});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out, "converted " + a + "\nskipped " + missing + "\nconverted " + c +
                       "\nConversion is complete!\n");
  EXPECT_EQ(r.Err, "hlmap: 1 of 3 files were not converted\n");
  const Result info = Hlmap({"info", c});
  EXPECT_NE(info.Out.find("\"bitcount\":0,"), std::string::npos);
  EXPECT_NE(info.Out.find("\"frontmark\":0}"), std::string::npos) << info.Out;

  const Result ok = Hlmap({"convert-old", a});
  EXPECT_EQ(ok.Code, 0);
  EXPECT_EQ(ok.Err, "");
}

TEST_F(HlmapTest, UsageErrorsExitWithTwo) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate"},
           {"info"},
           {"info", "a", "b"},
           {"info", "--format", "wil", "a"},
           {"save-as", "a"},
           {"save-as", "a", "b", "--format"},
           {"save-as", "a", "b", "--format", "png"},
           {"save-as", "a", "b", "--colour", "x"},
           {"convert-old"},
       }) {
    const Result r = Hlmap(args);
    EXPECT_EQ(r.Code, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(r.Err.find("usage"), std::string::npos);
    EXPECT_EQ(r.Out, "");
  }
}

TEST_F(HlmapTest, HelpExplainsEveryCommand) {
  const Result general = Hlmap({"--help"});
  EXPECT_EQ(general.Code, 0);
  for (const char* command : {"info", "save-as", "convert-old"}) {
    EXPECT_NE(general.Out.find(std::string("hlmap ") + command), std::string::npos);
    const Result one = Hlmap({command, "--help"});
    EXPECT_EQ(one.Code, 0);
    EXPECT_EQ(one.Out.rfind(std::string("usage: hlmap ") + command, 0), 0u) << one.Out;
  }
  EXPECT_NE(Hlmap({"save-as", "--help"}).Out.find("--format wil|data"), std::string::npos);
}

TEST_F(HlmapTest, HlmapKnowsEveryDrawingCommandByNameAndSynopsis) {
  std::vector<cli::Command> known = cli::CoreCommands();
  for (const cli::Command& c : cli::DrawingCommandNames()) known.push_back(c);
  const std::vector<cli::Command> all = cli::AllCommands();
  ASSERT_EQ(known.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(known[i].Name, all[i].Name);
    EXPECT_EQ(known[i].Synopsis, all[i].Synopsis);
    EXPECT_NE(all[i].Run, nullptr) << all[i].Name;
  }

  // Commands known by name only go to the other program whole, before any parsing.
  HlmapProgram hlmap;
  hlmap.Commands = known;
  std::vector<std::string> handed;
  hlmap.HandOver = [&](std::span<const std::string> args) {
    handed.assign(args.begin(), args.end());
    return 7;
  };
  std::ostringstream out, err;
  EXPECT_EQ(RunHlmap(std::vector<std::string>{"render", "--bogus"}, hlmap, out, err), 7);
  EXPECT_EQ(handed, (std::vector<std::string>{"render", "--bogus"}));
  EXPECT_EQ(err.str(), "");
  std::ostringstream fullHelp, knownHelp;
  HlmapProgram full;
  full.Commands = all;
  EXPECT_EQ(RunHlmap(std::vector<std::string>{"--help"}, hlmap, knownHelp, err), 0);
  EXPECT_EQ(RunHlmap(std::vector<std::string>{"--help"}, full, fullHelp, err), 0);
  EXPECT_EQ(knownHelp.str(), fullHelp.str());
}

TEST_F(HlmapTest, OnlyPicturesWithTextStartTheFonts) {
  HlmapProgram program;
  program.Commands = cli::AllCommands();
  int started = 0;
  program.StartFonts = [&] { ++started; };
  const std::string map = SaveSample("a.map");
  // One door at (0, 0); one animated cell without marks.
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(30, 20);
  doc->SetCell(0, 0, TMapCell{0, 0, 0, 0x81, 1, 0, 0, 0, 0});
  const std::string door = dir_.File("door.map");
  ASSERT_TRUE(SaveMap(*doc, door, kBitCountData));
  doc->ClearMap();
  doc->SetCell(2, 2, TMapCell{0, 0, 0, 0, 0, 3, 0, 0, 0});
  const std::string animated = dir_.File("animated.map");
  ASSERT_TRUE(SaveMap(*doc, animated, kBitCountData));
  const std::string script = dir_.File("nothing.txt");
  test::WriteFileBytes(script, {'#', '\n'});
  auto starts = [&](std::vector<std::string> args) {
    std::ostringstream out, err;
    started = 0;
    RunHlmap(args, program, out, err);
    return started;
  };
  const std::string png = dir_.File("a.png");
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"info", map},
           {"save-as", map, dir_.File("b.map")},
           {"apply", map, dir_.File("c.map"), "--script", script},
           {"lib-info", dir_.File("none.Data")},
           {"export-bmp", map, dir_.File("a.bmp")},
           // door labels begin at zoom 0.9
           {"render", door, png, "--zoom", "0.89"},
           // the door's column is left of the window
           {"render", door, png, "--zoom", "1", "--scroll", "96,0"},
           {"render", animated, png, "--zoom", "2"}}) {
    EXPECT_EQ(starts(words), 0) << words[0] << " " << words.back();
  }
  EXPECT_EQ(starts({"render", door, png, "--zoom", "0.9"}), 1);
  EXPECT_EQ(starts({"render", door, png, "--zoom", "1", "--scroll", "95,0"}), 1);
  EXPECT_EQ(starts({"render", animated, png, "--marks"}), 1);
}

TEST_F(HlmapTest, DoubleDashLetsFileNamesStartWithADash) {
  SaveSample("-odd.map");
  const std::string cwdRelative = dir_.File("-odd.map");
  EXPECT_EQ(Hlmap({"info", "--", cwdRelative}).Code, 0);
}

}  // namespace
}  // namespace hl

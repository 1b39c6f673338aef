// hlmap diff and hlmap check: their exit codes (0, 1 and 2 for trouble, unlike the other
// commands), their output, and diff as git's external diff driver in a real repository.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <memory>

#include "RunHlmap.h"
#include "TempDir.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"
#include "view/DiffPicture.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

using test::Hlmap;

class DiffCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    a_->SetMapSize(30, 20);
    a_->SetBackTileBlock(0, 0, 3);
    a_->SetObject(5, 5, 1);
    Save(*a_, "a.map");
  }
  std::string Save(MapDocument& doc, const std::string& name) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(WriteMapCopy(doc, path, kBitCountData));
    return path;
  }
  test::TempDir dir_;
  std::unique_ptr<MapDocument> a_ = std::make_unique<MapDocument>();
};

TEST_F(DiffCheckTest, DiffExitsZeroForEqualMapsOneForDifferentOnes) {
  auto b = std::make_unique<MapDocument>();
  b->SetMapSize(30, 20);
  b->SetBackTileBlock(0, 0, 3);
  b->SetObject(5, 5, 1);
  Save(*b, "b.map");
  auto same = Hlmap({"diff", dir_.File("a.map"), dir_.File("b.map")});
  EXPECT_EQ(same.Code, 0) << same.Err;
  EXPECT_EQ(same.Out, "maps are equal cell by cell\n");

  b->SetMiddleTile(7, 8, 2);
  b->SetMiddleTile(7, 9, 2);
  b->SetMapSize(31, 20);
  Save(*b, "b.map");
  auto changed = Hlmap({"diff", dir_.File("a.map"), dir_.File("b.map")});
  EXPECT_EQ(changed.Code, 1);
  EXPECT_EQ(changed.Out,
            "size: 30 x 20 -> 31 x 20\nground: no change\n"
            "small: 2 cells changed in 1 area\n  7,8 - 7,9 (1 x 2)\n"
            "objects: no change\nattributes: no change\n");
  auto json = Hlmap({"diff", "--json", dir_.File("a.map"), dir_.File("b.map")});
  EXPECT_EQ(json.Code, 1);
  EXPECT_EQ(json.Out.rfind("{\"equal\":false,\"old\":{\"width\":30,\"height\":20},\"new\":{"
                           "\"width\":31,\"height\":20},\"layers\":{\"ground\":{\"cells\":0,",
                           0),
            0u);
}

TEST_F(DiffCheckTest, DiffTroubleIsExitTwoWithTheReason) {
  auto missing = Hlmap({"diff", dir_.File("a.map"), dir_.File("none.map")});
  EXPECT_EQ(missing.Code, 2);
  EXPECT_NE(missing.Err.find("none.map"), std::string::npos);
  test::WriteFileBytes(dir_.File("short.map"), {1, 2, 3});
  auto refused = Hlmap({"diff", dir_.File("short.map"), dir_.File("a.map")});
  EXPECT_EQ(refused.Code, 2);
  EXPECT_NE(refused.Err.find("not a map file: the header is 3 bytes"), std::string::npos);
  EXPECT_EQ(Hlmap({"diff", dir_.File("a.map")}).Code, 2);
  EXPECT_EQ(Hlmap({"diff", "--git", dir_.File("a.map"), dir_.File("a.map")}).Code, 2);
  // /dev/null is an empty map for git only.
  EXPECT_EQ(Hlmap({"diff", "/dev/null", dir_.File("a.map")}).Code, 2);
  // A picture that would replace an input is refused.
  auto over = Hlmap({"diff", dir_.File("a.map"), dir_.File("a.map"), "--png", dir_.File("a.map")});
  EXPECT_EQ(over.Code, 2);
  EXPECT_EQ(test::ReadFileBytes(dir_.File("a.map")).size(), 52u + 30 * 20 * 12);
}

TEST_F(DiffCheckTest, DiffPictureTintsChangedCellsOfTheMapAfter) {
  auto b = std::make_unique<MapDocument>();
  b->SetMapSize(50, 20);  // 2400 pixels at zoom 1: drawn at one half
  b->SetBackTileBlock(0, 0, 3);
  b->SetObject(5, 5, 1);
  b->SetBackTileBlock(10, 10, 4);
  Save(*b, "b.map");
  auto r = Hlmap({"diff", dir_.File("a.map"), dir_.File("b.map"), "--png", dir_.File("d.png"),
                  "--libs", dir_.Path()});
  ASSERT_EQ(r.Code, 1) << r.Err;
  EXPECT_EQ(DiffPictureDivisor(50), 2);
  EXPECT_EQ(DiffPictureDivisor(42), 1);
  EXPECT_EQ(DiffPictureDivisor(999), 24);
  QImage picture(QString::fromStdString(dir_.File("d.png")));
  ASSERT_EQ(picture.size(), QSize(50 * 24, 20 * 16));
  // An unchanged tile as drawn; the new one tinted, with the red outline around the block.
  EXPECT_EQ(picture.pixel(10, 10), test::Drawn(test::TileColour(2)));
  const QRgb tile = test::Drawn(test::TileColour(3));
  EXPECT_EQ(picture.pixel(10 * 24 + 10, 10 * 16 + 10),
            qRgb((qRed(tile) + 255) / 2, qGreen(tile) / 2, qBlue(tile) / 2));
  EXPECT_EQ(picture.pixel(10 * 24, 10 * 16 + 10), qRgb(255, 0, 0));
  EXPECT_EQ(picture.pixel(12 * 24 - 1, 12 * 16 - 1), qRgb(255, 0, 0));
  // The area beyond A's width is in the picture, empty and unchanged.
  EXPECT_EQ(picture.pixel(45 * 24, 5), qRgb(255, 255, 255));
}

TEST_F(DiffCheckTest, CheckExitsOneForErrorsZeroForWarningsTwoForTrouble) {
  auto clean = Hlmap({"check", dir_.File("a.map"), "--libs", dir_.Path()});
  EXPECT_EQ(clean.Code, 0) << clean.Out << clean.Err;
  EXPECT_EQ(clean.Out, "0 errors, 0 warnings\n");

  a_->SetLight(2, 2, 5);
  Save(*a_, "a.map");
  auto warned = Hlmap({"check", dir_.File("a.map"), "--libs", dir_.Path(), "--json"});
  EXPECT_EQ(warned.Code, 0);
  EXPECT_EQ(warned.Out,
            "{\"errors\":0,\"warnings\":1,\"findings\":[{\"id\":\"bright-light\",\"severity\":"
            "\"warning\",\"x\":2,\"y\":2,\"message\":\"light 5 is above the usual 0 to 4\"}],"
            "\"unlisted\":{}}\n");

  // Without libraries every image is an error.
  auto bare = Hlmap({"check", dir_.File("a.map"), "--libs", dir_.File("nowhere")});
  EXPECT_EQ(bare.Code, 1);
  EXPECT_NE(bare.Out.find("error missing-library cell 5,5: object library 0 has no library "
                          "file (Objects.Data)"),
            std::string::npos);

  auto missing = Hlmap({"check", dir_.File("none.map")});
  EXPECT_EQ(missing.Code, 2);
  EXPECT_NE(missing.Err.find("none.map"), std::string::npos);
  test::WriteFileBytes(dir_.File("bad.mp"), {'x'});
  auto badProject = Hlmap({"check", dir_.File("bad.mp")});
  EXPECT_EQ(badProject.Code, 2);
  EXPECT_NE(badProject.Err.find("bad.mp"), std::string::npos);
}

TEST_F(DiffCheckTest, CheckWalksAProjectsSegments) {
  ASSERT_TRUE(WriteProject(dir_.File("w.mp"), SegmentProject{"W", 2, 1}));
  MapDocument seg;
  seg.SetMiddleTile(1, 2, 999);
  ASSERT_TRUE(SaveSegment(seg, dir_.File("W100101.sem"), 0, 0));
  auto r = Hlmap({"check", dir_.File("w.mp"), "--libs", dir_.Path()});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out,
            "error tile-beyond-library segment W100101 cell 41,2: small tile 998 is beyond the "
            "last image (59) of SmTiles.Data\n"
            "warning missing-segment segment W100100: the segment file W100100.sem is missing\n"
            "1 error, 1 warning\n");
}

// git runs diff drivers through the shell: the repository test needs git and a shell.
bool HaveGit() {
  return std::system("git --version >/dev/null 2>&1") == 0;
}

TEST_F(DiffCheckTest, GitShowsMapChangesThroughTheDriver) {
  if (!HaveGit()) GTEST_SKIP() << "git is not installed";
  test::TempDir repo;
  const std::string git = "cd '" + repo.Path() + "' && HOME='" + repo.Path() +
                          "' GIT_CONFIG_NOSYSTEM=1 git -c user.name=t -c user.email=t@t ";
  auto run = [&](const std::string& words) {
    const std::string out = repo.File(".out");
    const int status = std::system((git + words + " >'" + out + "' 2>&1").c_str());
    auto bytes = test::ReadFileBytes(out);
    return std::pair{status, std::string(bytes.begin(), bytes.end())};
  };
  ASSERT_EQ(run("init -q").first, 0);
  // The lines the README gives.
  test::WriteFileBytes(repo.File(".gitattributes"), {'*', '.', 'm', 'a', 'p', ' ', 'd', 'i', 'f',
                                                     'f', '=', 'h', 'l', 'm', 'a', 'p', '\n'});
  ASSERT_EQ(run(std::string("config diff.hlmap.command '") + HL_HLMAP + " diff --git'").first, 0);
  ASSERT_TRUE(WriteMapCopy(*a_, repo.File("town.map"), kBitCountData));
  ASSERT_EQ(run("add . && " + git + "commit -q -m one").first, 0);
  a_->SetLight(3, 4, 2);
  ASSERT_TRUE(WriteMapCopy(*a_, repo.File("town.map"), kBitCountData));

  const auto [status, diff] = run("diff");
  EXPECT_EQ(status, 0) << diff;
  EXPECT_NE(diff.find("hlmap diff a/town.map b/town.map\n"), std::string::npos) << diff;
  EXPECT_NE(diff.find("attributes: 1 cell changed in 1 area\n  3,4 - 3,4 (1 x 1)\n"),
            std::string::npos)
      << diff;

  ASSERT_EQ(run("commit -q -a -m two").first, 0);
  const auto [logStatus, log] = run("log -p --ext-diff");
  EXPECT_EQ(logStatus, 0) << log;
  // The first commit adds the file: git gives /dev/null for the side before it.
  EXPECT_NE(log.find("size: 0 x 0 -> 30 x 20\n"), std::string::npos) << log;
  EXPECT_NE(log.find("attributes: 1 cell changed"), std::string::npos) << log;
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <memory>
#include <sstream>

#include "RunHlmap.h"
#include "TempDir.h"
#include "cli/Hlmap.h"
#include "map/MapFile.h"
#include "util/LittleEndian.h"
#include "view/MapRenderer.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

using Result = test::HlmapResult;
using test::Hlmap;

class ViewCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    auto doc = std::make_unique<MapDocument>();
    doc->SetBackTile(2, 4, 4);
    doc->SetLight(1, 1, 1);
    doc->SetObject(8, 8, 1);
    ASSERT_TRUE(SaveMap(*doc, dir_.File("m.map"), kBitCountData));
  }
  test::TempDir dir_;
};

TEST_F(ViewCommandsTest, RenderDrawsWhatTheViewShows) {
  const Result r = Hlmap({"render", dir_.File("m.map"), dir_.File("a.png"), "--libs", dir_.Path(),
                          "--zoom", "1", "--size", "400x300", "--scroll", "48,32"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  QImage png(QString::fromStdString(dir_.File("a.png")));
  ASSERT_EQ(png.size(), QSize(400, 300));
  EXPECT_EQ(png.pixel(96 - 48, 128 - 32), test::Drawn(test::TileColour(3)));
  EXPECT_EQ(png.pixel(5, 5), test::Drawn(test::SmallColour(57)));  // the light of (1, 1)

  ASSERT_EQ(Hlmap({"render", dir_.File("m.map"), dir_.File("b.png"), "--libs", dir_.Path(),
                   "--zoom", "1", "--hide", "back,objects"})
                .Code,
            0);
  QImage hidden(QString::fromStdString(dir_.File("b.png")));
  EXPECT_EQ(hidden.size(), QSize(800, 593));
  EXPECT_EQ(hidden.pixel(96, 128), MapRenderer::kSurfaceColour);
  EXPECT_EQ(hidden.pixel(48 + 5, 32 + 5), test::Drawn(test::SmallColour(57)));
}

TEST_F(ViewCommandsTest, RenderWritesThePngLevelChosen) {
  auto render = [&](const std::string& out, std::vector<std::string> extra) {
    std::vector<std::string> words = {"render", dir_.File("m.map"), dir_.File(out),
                                      "--libs", dir_.Path(),        "--zoom",
                                      "1",      "--size",           "300x200"};
    words.insert(words.end(), extra.begin(), extra.end());
    return Hlmap(words).Code;
  };
  ASSERT_EQ(render("fast.png", {}), 0);
  ASSERT_EQ(render("stored.png", {"--png-level", "0"}), 0);
  ASSERT_EQ(render("small.png", {"--png-level=9"}), 0);
  const QImage fast(QString::fromStdString(dir_.File("fast.png")));
  ASSERT_EQ(fast.size(), QSize(300, 200));
  EXPECT_EQ(QImage(QString::fromStdString(dir_.File("stored.png"))), fast);
  EXPECT_EQ(QImage(QString::fromStdString(dir_.File("small.png"))), fast);
  // Level 0 stores every pixel; the default compresses.
  const auto stored = test::ReadFileBytes(dir_.File("stored.png")).size();
  EXPECT_GT(stored, 300u * 200 * 3);
  EXPECT_LT(test::ReadFileBytes(dir_.File("fast.png")).size(), stored / 10);
}

TEST_F(ViewCommandsTest, RenderRefusesBadOptions) {
  for (const char* zoom : {"0.04", "2.01", "1.234", "x", ".5", "3"}) {
    EXPECT_EQ(Hlmap({"render", dir_.File("m.map"), dir_.File("a.png"), "--zoom", zoom}).Code, 2)
        << zoom;
  }
  EXPECT_EQ(Hlmap({"render", dir_.File("m.map"), dir_.File("a.png"), "--size", "0x5"}).Code, 2);
  EXPECT_EQ(Hlmap({"render", dir_.File("m.map"), dir_.File("a.png"), "--scroll", "-1,0"}).Code, 2);
  EXPECT_EQ(Hlmap({"render", dir_.File("m.map"), dir_.File("a.png"), "--hide", "sky"}).Code, 2);
  for (const char* level : {"10", "-1", "x", "", "1.5", "01"}) {
    const Result r =
        Hlmap({"render", dir_.File("m.map"), dir_.File("a.png"), "--png-level", level});
    EXPECT_EQ(r.Code, 2) << level;
    EXPECT_EQ(
        r.Err.rfind("hlmap: '" + std::string(level) + "' is not a choice of --png-level\n", 0), 0u)
        << r.Err;
  }
  EXPECT_FALSE(test::FileExists(dir_.File("a.png")));
  EXPECT_EQ(Hlmap({"render", dir_.File("none.map"), dir_.File("a.png")}).Code, 1);
  EXPECT_EQ(Hlmap({"render", dir_.File("m.map"), dir_.File("a.png"), "--zoom", "0.05"}).Code, 0);
}

TEST_F(ViewCommandsTest, ExportWritesAnEighthSizeBmp) {
  ASSERT_EQ(
      Hlmap({"export-bmp", dir_.File("m.map"), dir_.File("map.bmp"), "--libs", dir_.Path()}).Code,
      0);
  const auto bytes = test::ReadFileBytes(dir_.File("map.bmp"));
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(LoadLE<std::int32_t>(bytes.data() + 18), 1200);
  EXPECT_EQ(LoadLE<std::int32_t>(bytes.data() + 22), 800);
  EXPECT_EQ(LoadLE<std::uint16_t>(bytes.data() + 28), 24);
  EXPECT_EQ(bytes.size(), 54u + 1200 * 3 * 800);
  // Qt's own BMP reader sees the same picture.
  QImage bmp(QString::fromStdString(dir_.File("map.bmp")));
  ASSERT_EQ(bmp.size(), QSize(1200, 800));
  EXPECT_EQ(bmp.pixel(2 * 6 + 1, 4 * 4 + 1), test::Drawn(test::TileColour(3)));
  EXPECT_EQ(bmp.pixel(1199, 799), qRgb(255, 255, 255));

  const Result full = Hlmap({"export-bmp", dir_.File("m.map"), "/dev/full", "--libs", dir_.Path()});
  EXPECT_EQ(full.Code, 1);
  EXPECT_EQ(full.Err.rfind("hlmap: ", 0), 0u);
}

TEST_F(ViewCommandsTest, LibrariesNotFoundAreNamedWithoutFailing) {
  const std::string none = dir_.File("none");
  std::filesystem::create_directory(none);
  auto line = [](const std::string& kind, const std::string& folder, const std::string& names,
                 const std::string& leftOut) {
    return "hlmap: no " + kind + " library opened in " + folder + " (looked for " + names +
           " in any letter case): " + leftOut + " left out\n";
  };
  const std::string allMissing =
      line("tile", none, "Tiles.Data", "big tiles are") +
      line("small-tile", none, "SmTiles.Data", "small tiles and marks are") +
      line("object", none, "Objects.Data, Objects2.Data ... Objects20.Data", "objects are");
  const Result bmp = Hlmap({"export-bmp", dir_.File("m.map"), dir_.File("m.bmp"), "--libs", none});
  EXPECT_EQ(bmp.Code, 0);
  EXPECT_EQ(bmp.Err, allMissing);
  EXPECT_TRUE(test::FileExists(dir_.File("m.bmp")));
  const Result png =
      Hlmap({"render", dir_.File("m.map"), dir_.File("m.png"), "--libs", none + "/sub/.."});
  EXPECT_EQ(png.Code, 0);
  EXPECT_EQ(png.Err, allMissing);

  // Data libraries do not count for the Wil format.
  const Result wil = Hlmap(
      {"render", dir_.File("m.map"), dir_.File("m.png"), "--libs", dir_.Path(), "--format", "wil"});
  EXPECT_EQ(wil.Code, 0);
  EXPECT_EQ(wil.Err,
            line("tile", dir_.Path(), "Tiles.wil", "big tiles are") +
                line("small-tile", dir_.Path(), "SmTiles.wil", "small tiles and marks are") +
                line("object", dir_.Path(), "Objects.wil, Objects2.wil ... Objects20.wil",
                     "objects are"));

  // One object library of any slot is enough for its kind.
  std::filesystem::copy_file(dir_.File("Objects.Data"), none + "/objects7.data");
  EXPECT_EQ(Hlmap({"export-bmp", dir_.File("m.map"), dir_.File("m.bmp"), "--libs", none}).Err,
            line("tile", none, "Tiles.Data", "big tiles are") +
                line("small-tile", none, "SmTiles.Data", "small tiles and marks are"));
  EXPECT_EQ(
      Hlmap({"export-bmp", dir_.File("m.map"), dir_.File("m.bmp"), "--libs", dir_.Path()}).Err, "");
}

TEST_F(ViewCommandsTest, DemoLibsWritesEveryLibraryInBothFormats) {
  const Result r = Hlmap({"demo-libs", dir_.File("demo")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  for (const char* lib : {"Tiles", "SmTiles", "Objects", "Objects2"}) {
    for (const char* ext : {".Data", ".wil"}) {
      const Result info = Hlmap({"lib-info", dir_.File("demo/") + lib + ext});
      EXPECT_EQ(info.Code, 0) << lib << ext;
    }
  }
  EXPECT_NE(Hlmap({"lib-info", dir_.File("demo/Tiles.Data")}).Out.find("\"images\":200"),
            std::string::npos);
  EXPECT_NE(Hlmap({"lib-info", dir_.File("demo/SmTiles.wil")}).Out.find("\"images\":180"),
            std::string::npos);
}

TEST_F(ViewCommandsTest, PicturesAreNotWrittenOverTheFilesTheyAreDrawnFrom) {
  const std::string map = dir_.File("m.map");
  const std::string tiles = dir_.File("Tiles.Data");
  ASSERT_EQ(::symlink(map.c_str(), dir_.File("link.png").c_str()), 0);
  ASSERT_EQ(::link(tiles.c_str(), dir_.File("hard.bmp").c_str()), 0);
  // A library the set finds by another letter case.
  const std::string small = dir_.File("SMTILES.DATA");
  ASSERT_EQ(::rename(dir_.File("SmTiles.Data").c_str(), small.c_str()), 0);
  const auto mapBytes = test::ReadFileBytes(map);
  const auto tileBytes = test::ReadFileBytes(tiles);
  const auto smallBytes = test::ReadFileBytes(small);
  // The map itself, a link to it, a second name of a library and one found by its case.
  const std::vector<std::pair<std::string, std::string>> outputs = {
      {map, "the map '" + map + "'"},
      {dir_.File("link.png"), "the map '" + map + "'"},
      {dir_.File("hard.bmp"), "the library '" + tiles + "'"},
      {small, "the library '" + small + "'"}};
  for (const char* command : {"export-bmp", "render"}) {
    for (const auto& [out, what] : outputs) {
      const Result r = Hlmap({command, map, out, "--libs", dir_.Path()});
      EXPECT_EQ(r.Code, 1) << command << " " << out;
      EXPECT_EQ(r.Err, "hlmap: '" + out + "' is " + what +
                           " that this command reads; writing there would replace it, so nothing "
                           "was written (choose another output file)\n");
    }
  }
  EXPECT_EQ(test::ReadFileBytes(map), mapBytes);
  EXPECT_EQ(test::ReadFileBytes(tiles), tileBytes);
  EXPECT_EQ(test::ReadFileBytes(small), smallBytes);

  const Result exported = Hlmap({"lib-export", tiles, "0", tiles});
  EXPECT_EQ(exported.Code, 1);
  EXPECT_EQ(test::ReadFileBytes(tiles), tileBytes);
  // Elsewhere the pictures are written as ever, and saving a map in place stays a save.
  EXPECT_EQ(Hlmap({"export-bmp", map, dir_.File("m.bmp"), "--libs", dir_.Path()}).Code, 0);
  EXPECT_EQ(Hlmap({"save-as", map, map}).Code, 0);
  auto again = std::make_unique<MapDocument>();
  EXPECT_TRUE(LoadMap(*again, map));
}

}  // namespace
}  // namespace hl

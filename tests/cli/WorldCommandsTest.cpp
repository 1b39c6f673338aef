#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <memory>

#include "RunHlmap.h"
#include "TempDir.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"
#include "view/MapRenderer.h"
#include "view/TestLibraries.h"
#include "view/TestWorld.h"

namespace hl {
namespace {

using test::Hlmap;

QImage Read(const std::string& path) {
  return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

class WorldCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { world_ = test::WriteTestWorld(dir_.Path(), 3, 3, 11); }
  std::string Project() const { return dir_.File("T.mp"); }
  test::HlmapResult WorldRender(std::vector<std::string> extra) {
    std::vector<std::string> words = {"world-render", Project(), dir_.File("w.png"), "--libs",
                                      dir_.Path()};
    words.insert(words.end(), extra.begin(), extra.end());
    return Hlmap(words);
  }
  // What `hlmap render` draws of the area's segments as one map at a zoom, without its
  // border lines: the picture world-render must give.
  QImage Rendered(const QRect& area, const char* zoom, QSize size) {
    const auto map = test::AssembleArea(*world_, area);
    EXPECT_TRUE(SaveMap(*map, dir_.File("area.map"), kBitCountData));
    const auto r = Hlmap(
        {"render", dir_.File("area.map"), dir_.File("r.png"), "--libs", dir_.Path(), "--zoom", zoom,
         "--size", std::to_string(size.width() + 1) + "x" + std::to_string(size.height() + 1)});
    EXPECT_EQ(r.Code, 0) << r.Err;
    return Read(dir_.File("r.png")).copy(0, 0, size.width(), size.height());
  }
  test::TempDir dir_;
  std::unique_ptr<MapDocument> world_;
};

TEST_F(WorldCommandsTest, DrawsWhatRenderDrawsOfTheAssembledArea) {
  // The whole world at 1/1, and a 2 x 2 area at 1/1, 1/4 and 1/20 (zooms render takes too).
  struct Case {
    std::vector<std::string> Options;
    QRect Area;
    const char* Zoom;
    QSize Size;
  } cases[] = {
      {{"--scale", "1/1"}, QRect(0, 0, 3, 3), "1", {5760, 3840}},
      {{"--scale", "1/1", "--area", "1,1,2,2"}, QRect(1, 1, 2, 2), "1", {3840, 2560}},
      {{"--scale", "1/4", "--area", "0,1,1,2"}, QRect(0, 1, 2, 2), "0.25", {960, 640}},
      {{"--scale=1/20", "--area=0,0,1,1"}, QRect(0, 0, 2, 2), "0.05", {192, 128}},
  };
  for (const Case& c : cases) {
    const auto r = WorldRender(c.Options);
    ASSERT_EQ(r.Code, 0) << r.Err;
    const QImage picture = Read(dir_.File("w.png"));
    ASSERT_EQ(picture.size(), c.Size) << c.Zoom;
    ASSERT_TRUE(picture == Rendered(c.Area, c.Zoom, c.Size)) << c.Options.back();
  }
}

// The colour of pixel (x, y) of Objects2 image `image` (TestWorld's pattern), as drawn.
QRgb Objects2Pixel(int image, int x, int y) {
  return test::Drawn(
      static_cast<std::uint16_t>(0x0841 + ((x * 7 + y * 13 + image * 101) % 0xF000)));
}

TEST_F(WorldCommandsTest, ObjectsOverSegmentBordersAreDrawnWhole) {
  // Three segments side by side over three below them: the tall object stands at the bottom
  // of segment (1, 1) and reaches up through (1, 0); the wide one stands in (0, 0) and
  // reaches right over (1, 0) into (2, 0).
  auto doc = std::make_unique<MapDocument>();
  doc->SetObject(45, 79, ObjectIndex::Make(1, test::kTallObject) + 1);
  doc->SetObject(38, 10, ObjectIndex::Make(1, test::kWideObject) + 1);
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 2; ++r)
      ASSERT_TRUE(SaveSegment(*doc, dir_.File(SegmentName("B", c, r) + ".sem"), 40 * c, 40 * r));
  ASSERT_TRUE(WriteProject(dir_.File("B.mp"), {"B", 3, 2}));
  auto render = [&](std::vector<std::string> extra) {
    std::vector<std::string> words = {"world-render", dir_.File("B.mp"), dir_.File("b.png"),
                                      "--libs",       dir_.Path(),       "--scale",
                                      "1/1"};
    words.insert(words.end(), extra.begin(), extra.end());
    EXPECT_EQ(Hlmap(words).Code, 0);
    return Read(dir_.File("b.png"));
  };
  const QImage whole = render({});
  // The tall one's top row is 1400 pixels above the bottom of row 79, in segment row 0.
  const int tallTop = 80 * 32 - 1400;
  ASSERT_LT(tallTop, 40 * 32);
  EXPECT_EQ(whole.pixel(45 * 48, tallTop), Objects2Pixel(test::kTallObject, 0, 0));
  EXPECT_EQ(whole.pixel(45 * 48 + 47, tallTop), Objects2Pixel(test::kTallObject, 47, 0));
  EXPECT_EQ(whole.pixel(45 * 48, tallTop - 1), MapRenderer::kSurfaceColour);
  // The wide one's right end lies in segment column 2.
  const int wideRight = 38 * 48 + 2099;
  ASSERT_GE(wideRight, 80 * 48);
  EXPECT_EQ(whole.pixel(wideRight, 11 * 32 - 1), Objects2Pixel(test::kWideObject, 2099, 59));
  EXPECT_EQ(whole.pixel(wideRight + 1, 11 * 32 - 1), MapRenderer::kSurfaceColour);

  // An area is a world of its own: segment (1, 0) alone shows neither.
  const QImage alone = render({"--area", "1,0,1,0"});
  for (int y = 0; y < alone.height(); y += 5)
    for (int x = 0; x < alone.width(); x += 5)
      ASSERT_EQ(alone.pixel(x, y), MapRenderer::kSurfaceColour);
}

TEST_F(WorldCommandsTest, ScalesAndAreasAreChecked) {
  for (const char* scale : {"1/0", "1/65", "2/3", "16", "1/", "1/1x"}) {
    const auto r = WorldRender({"--scale", scale});
    EXPECT_EQ(r.Code, 2) << scale;
    EXPECT_NE(r.Err.find("--scale takes 1/N"), std::string::npos) << r.Err;
  }
  for (const char* area : {"1,1,0,0", "0,0,1", "a,b,c,d", "0,0,1,1,2", "-1,0,1,1", "0,,1,1"}) {
    EXPECT_EQ(WorldRender({"--area", area}).Code, 2) << area;
  }
  for (const char* area : {"0,0,3,0", "0,0,0,3", "3,3,3,3"}) {
    const auto r = WorldRender({"--area", area});
    EXPECT_EQ(r.Code, 1) << area;
    EXPECT_NE(r.Err.find("columns are 0 to 2 and rows 0 to 2"), std::string::npos) << r.Err;
  }
  EXPECT_FALSE(test::FileExists(dir_.File("w.png")));
  // The last segment alone is inside.
  ASSERT_EQ(WorldRender({"--area", "2,2,2,2"}).Code, 0);
  EXPECT_EQ(Read(dir_.File("w.png")).size(), QSize(120, 80));
}

TEST_F(WorldCommandsTest, APictureTooLargeIsRefusedWithAScaleThatFits) {
  // 40 x 1 segments at 1/1 is 76,800 pixels wide: 1/2 fits.
  ASSERT_TRUE(WriteProject(dir_.File("wide.mp"), {"T", 40, 1}));
  auto r = Hlmap({"world-render", dir_.File("wide.mp"), dir_.File("w.png"), "--scale", "1/1"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("76800 x 1280"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("--scale 1/2"), std::string::npos) << r.Err;
  // 10,000 segment rows are too many even at 1/64: only an area helps.
  ASSERT_TRUE(WriteProject(dir_.File("tall.mp"), {"T", 1, 10000}));
  r = Hlmap({"world-render", dir_.File("tall.mp"), dir_.File("w.png"), "--scale", "1/64"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("--area"), std::string::npos) << r.Err;
  EXPECT_FALSE(test::FileExists(dir_.File("w.png")));
}

TEST_F(WorldCommandsTest, MissingAndLinkedSegmentsAreEmptyAndInputsAreNeverReplaced) {
  ASSERT_EQ(::unlink(dir_.File("T100100.sem").c_str()), 0);
  ASSERT_EQ(::unlink(dir_.File("T100101.sem").c_str()), 0);
  ASSERT_EQ(::symlink(dir_.File("T102102.sem").c_str(), dir_.File("T100101.sem").c_str()), 0);
  auto r = WorldRender({"--area", "0,0,1,0"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Err.find("T100101.sem"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("drawn empty"), std::string::npos) << r.Err;
  const QImage picture = Read(dir_.File("w.png"));
  ASSERT_EQ(picture.size(), QSize(240, 80));
  for (int y = 0; y < 80; y += 7)
    for (int x = 0; x < 240; x += 7) ASSERT_EQ(picture.pixel(x, y), MapRenderer::kSurfaceColour);

  const auto segment = test::ReadFileBytes(dir_.File("T101101.sem"));
  for (const std::string& out : {dir_.File("T101101.sem"), dir_.File("t101101.SEM"), Project()}) {
    if (out == dir_.File("t101101.SEM")) {
      ASSERT_EQ(::symlink(dir_.File("T101101.sem").c_str(), out.c_str()), 0);
    }
    r = Hlmap({"world-render", Project(), out, "--libs", dir_.Path()});
    EXPECT_EQ(r.Code, 1) << out;
    EXPECT_NE(r.Err.find("nothing was written"), std::string::npos) << r.Err;
  }
  EXPECT_EQ(test::ReadFileBytes(dir_.File("T101101.sem")), segment);
}

TEST_F(WorldCommandsTest, AWorldOfOneSegment) {
  ASSERT_TRUE(WriteProject(dir_.File("one.mp"), {"T", 1, 1}));
  auto r = Hlmap({"world-render", dir_.File("one.mp"), dir_.File("w.png"), "--libs", dir_.Path(),
                  "--scale", "1/1"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  const QImage picture = Read(dir_.File("w.png"));
  ASSERT_EQ(picture.size(), QSize(1920, 1280));
  EXPECT_TRUE(picture == Rendered(QRect(0, 0, 1, 1), "1", {1920, 1280}));
  r = Hlmap({"world-render", dir_.File("one.mp"), dir_.File("w.png"), "--libs", dir_.Path()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(Read(dir_.File("w.png")).size(), QSize(120, 80));
}

TEST_F(WorldCommandsTest, WorldInfoListsTheSegmentFiles) {
  ASSERT_EQ(::unlink(dir_.File("T101100.sem").c_str()), 0);
  ASSERT_EQ(::rename(dir_.File("T100102.sem").c_str(), dir_.File("t100102.SEM").c_str()), 0);
  ASSERT_EQ(::unlink(dir_.File("T102101.sem").c_str()), 0);
  ASSERT_EQ(::symlink("/etc/passwd", dir_.File("T102101.sem").c_str()), 0);
  ASSERT_EQ(::unlink(dir_.File("T102100.sem").c_str()), 0);
  const auto r = Hlmap({"world-info", Project()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "{\"ident\":\"T\",\"cols\":3,\"rows\":3,\"segments\":9,\"present\":6,\"missing\":2,"
            "\"refused\":1,\"segment_rows\":[\n  \"###\",\n  \".##\",\n  \".!#\"\n]}\n");
  EXPECT_EQ(Hlmap({"world-info", dir_.File("none.mp")}).Code, 1);
  EXPECT_EQ(Hlmap({"world-info"}).Code, 2);
}

}  // namespace
}  // namespace hl

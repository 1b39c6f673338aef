#include <gtest/gtest.h>

#include <memory>

#include "RunHlmap.h"
#include "TempDir.h"
#include "images/LibrarySet.h"
#include "map/MapFile.h"
#include "objects/ObjectSets.h"
#include "segments/SegmentProject.h"

namespace hl {
namespace {

TEST(DemoWorld, EverythingLoadsAndRebuildsTheSame) {
  test::TempDir a, b;
  const auto first = test::Hlmap({"demo-world", a.Path()});
  ASSERT_EQ(first.Code, 0) << first.Err;
  const auto second = test::Hlmap({"demo-world", b.Path()});
  ASSERT_EQ(second.Code, 0) << second.Err;
  const auto names = test::ListDirectory(a.Path());
  ASSERT_EQ(names, test::ListDirectory(b.Path()));
  for (const std::string& name : names)
    EXPECT_EQ(test::ReadFileBytes(a.File(name)), test::ReadFileBytes(b.File(name))) << name;

  for (LibraryFormat format : {LibraryFormat::Data, LibraryFormat::Wil}) {
    LibrarySet libs;
    libs.Open(format, a.Path());
    EXPECT_EQ(libs.Tiles().ImageCount, 200);
    EXPECT_GT(libs.ObjectSlotLibrary(1).ImageCount, 0);
  }
  ObjectSetList sets;
  std::string error;
  ASSERT_TRUE(sets.LoadSets(a.File("kel.set"), &error));
  EXPECT_GE(sets.Items.size(), 12u);

  // What the demo script painted: every kind of content the editor places.
  const auto info = test::Hlmap({"info", a.File("demo.map")});
  ASSERT_EQ(info.Code, 0);
  auto doc = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*doc, a.File("demo.map")));
  int objects = 0, lights = 0, doors = 0, marks = 0, small = 0, groups[4] = {};
  for (int x = 0; x < 200; ++x) {
    for (int y = 0; y < 200; ++y) {
      const TMapCell& c = doc->Cell(x, y);
      objects += (c.ObjectImage & 0x7FFF) != 0;
      lights += c.Light != 0;
      doors += c.Door != 0;
      marks += (c.BackTile & 0x8000) != 0;
      small += c.MiddleTile != 0;
      const int tile = doc->GetBackTile(x, y);
      if (tile >= 0 && tile / 50 < 4) ++groups[tile / 50];
    }
  }
  EXPECT_GT(objects, 50);
  EXPECT_GE(lights, 5);
  EXPECT_GE(doors, 3);
  EXPECT_GT(marks, 50);
  EXPECT_GT(small, 200);
  for (int g : groups) EXPECT_GT(g, 500);
  EXPECT_NE(info.Out.find("\"door\":" + std::to_string(doors)), std::string::npos) << info.Out;

  SegmentProject project;
  ASSERT_EQ(ReadProject(a.File("world.mp"), project, &error), ProjectRead::Read);
  EXPECT_EQ(project.Cols, 6);
  SegmentWindow window;
  window.ProjectDir = a.Path() + "/";
  window.PickWindow(project.Ident, project.Cols, project.Rows, 3, 3);
  ASSERT_TRUE(window.LoadSegments(*doc));
  EXPECT_EQ(doc->MapWidth(), 120);
  EXPECT_GE(doc->GetBackTile(119, 119), 0);  // the world's far corner is painted
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <memory>

#include "cli/RunHlmap.h"
#include "map/MapFile.h"
#include "segments/SegmentFixture.h"

namespace hl {
namespace {

using test::Marker;
using test::SegmentTest;

TEST_F(SegmentTest, HlmapCutsAndStoresWindows) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 3; ++r) WriteSegment(c, r);
  const std::string project = dir_.File("w.mp");
  ASSERT_TRUE(WriteProject(project, {"A", 4, 3}));
  const std::string out = dir_.File("win.map");
  auto r = test::Hlmap({"seg-window", project, "1", "0", out});
  ASSERT_EQ(r.Code, 0) << r.Err;
  ASSERT_TRUE(LoadMap(*doc_, out));
  EXPECT_EQ(doc_->MapWidth(), 120);
  EXPECT_EQ(doc_->Cell(0, 0), Marker(10, 0, 0));
  EXPECT_EQ(doc_->Cell(119, 80), Marker(32, 39, 0));

  doc_->SetCell(119, 80, Marker(77, 1, 1));
  ASSERT_TRUE(SaveMap(*doc_, out, kBitCountData));
  r = test::Hlmap({"seg-store", project, "1", "0", out});
  ASSERT_EQ(r.Code, 0) << r.Err;
  auto seg = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*seg, dir_.File("A102103.sem")));
  EXPECT_EQ(seg->Cell(39, 0), Marker(77, 1, 1));

  EXPECT_NE(test::Hlmap({"seg-window", project, "4", "0", out}).Code, 0);
  EXPECT_NE(test::Hlmap({"seg-window", dir_.File("none.mp"), "0", "0", out}).Code, 0);
}
}  // namespace
}  // namespace hl

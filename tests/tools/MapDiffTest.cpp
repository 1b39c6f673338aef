#include <gtest/gtest.h>

#include <memory>

#include "tools/MapDiff.h"

namespace hl {
namespace {

class MapDiffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a_->SetMapSize(20, 10);
    b_->SetMapSize(20, 10);
  }
  MapDiff Diff() const { return DiffMaps(DiffSide::Of(*a_), DiffSide::Of(*b_)); }
  const LayerDiff& Layer(const MapDiff& d, RegionLayer layer) const {
    for (const LayerDiff& l : d.Layers)
      if (l.Layer == layer) return l;
    throw std::logic_error("no such layer");
  }
  std::unique_ptr<MapDocument> a_ = std::make_unique<MapDocument>();
  std::unique_ptr<MapDocument> b_ = std::make_unique<MapDocument>();
};

TEST_F(MapDiffTest, EqualMapsAreEqualAndSayNothingChanged) {
  a_->SetCell(3, 4, TMapCell{5, 6, 7, 1, 2, 3, 4, 5, 6});
  b_->SetCell(3, 4, TMapCell{5, 6, 7, 1, 2, 3, 4, 5, 6});
  const MapDiff d = Diff();
  EXPECT_TRUE(d.Equal());
  for (const LayerDiff& l : d.Layers) EXPECT_EQ(l.ChangedCells, 0);
  EXPECT_EQ(DiffText(d),
            "ground: no change\nsmall: no change\nobjects: no change\n"
            "attributes: no change\n");
}

TEST_F(MapDiffTest, EachFieldCountsInItsRegionLayerOnly) {
  b_->SetBackTile(0, 0, 9);                                   // ground
  b_->SetMiddleTile(1, 0, 9);                                 // small
  b_->SetCell(2, 0, TMapCell{0, 0, 0, 0, 0, 0, 0, 3, 0});     // ObjectLib alone: objects
  b_->SetCell(3, 0, TMapCell{0, 0, 0, 0, 0, 0x80, 0, 0, 0});  // alpha flag: objects
  b_->SetMarks(4, 0, 1);                                      // BackMark: attributes, not ground
  b_->SetCell(5, 0, TMapCell{0, 0, kMarkBit, 0, 0, 0, 0, 0, 0});  // FrontMark: attributes
  b_->SetCell(6, 0, TMapCell{0, 0, 0, 0, 7, 0, 0, 0, 0});         // DoorOffset: attributes
  b_->SetLight(7, 0, 1);
  const MapDiff d = Diff();
  EXPECT_FALSE(d.Equal());
  EXPECT_EQ(Layer(d, kRegionGround).ChangedCells, 1);
  EXPECT_EQ(Layer(d, kRegionSmall).ChangedCells, 1);
  EXPECT_EQ(Layer(d, kRegionObjects).ChangedCells, 2);
  EXPECT_EQ(Layer(d, kRegionAttributes).ChangedCells, 4);
  EXPECT_EQ(Layer(d, kRegionAttributes).Areas, (std::vector<CellRect>{{4, 0, 7, 0}}));
  // The picture's areas join all layers.
  EXPECT_EQ(d.AnyAreas, (std::vector<CellRect>{{0, 0, 7, 0}}));
}

TEST_F(MapDiffTest, AreasAreFourConnectedAndListedByTheirTopLeftCell) {
  // A diagonal pair is two areas; an L joins; a group reaching left below starts further left.
  b_->SetMiddleTile(10, 1, 1);
  b_->SetMiddleTile(11, 2, 1);
  b_->SetMiddleTile(2, 5, 1);
  b_->SetMiddleTile(2, 6, 1);
  b_->SetMiddleTile(3, 6, 1);
  b_->SetMiddleTile(8, 3, 1);
  b_->SetMiddleTile(8, 4, 1);
  b_->SetMiddleTile(7, 4, 1);
  b_->SetMiddleTile(6, 4, 1);
  const MapDiff d = Diff();
  const LayerDiff& small = Layer(d, kRegionSmall);
  EXPECT_EQ(small.ChangedCells, 9);
  EXPECT_EQ(small.Areas,
            (std::vector<CellRect>{{10, 1, 10, 1}, {11, 2, 11, 2}, {6, 3, 8, 4}, {2, 5, 3, 6}}));
}

TEST_F(MapDiffTest, ASizeChangeComparesTheLargerAreaWithEmptyCellsOutside) {
  a_->SetCell(15, 2, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});
  b_->SetMapSize(12, 14);
  // B holds content beyond its width in storage: it is outside B, so it counts as empty.
  b_->SetCell(15, 2, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});
  b_->SetMiddleTile(3, 12, 4);
  const MapDiff d = Diff();
  EXPECT_TRUE(d.SizeChanged());
  EXPECT_EQ(d.Width, 20);
  EXPECT_EQ(d.Height, 14);
  EXPECT_EQ(Layer(d, kRegionGround).Areas, (std::vector<CellRect>{{15, 2, 15, 2}}));
  EXPECT_EQ(Layer(d, kRegionSmall).Areas, (std::vector<CellRect>{{3, 12, 3, 12}}));
  EXPECT_EQ(DiffText(d).substr(0, 25), "size: 20 x 10 -> 12 x 14\n");

  // Same cells, other size: still different.
  b_->SetMapSize(20, 11);
  b_->SetCell(15, 2, a_->Cell(15, 2));
  b_->SetMiddleTile(3, 12, 0);
  EXPECT_FALSE(Diff().Equal());
}

TEST_F(MapDiffTest, AMissingSideIsAnEmptyMap) {
  b_->SetBackTile(2, 2, 1);
  const MapDiff added = DiffMaps(DiffSide{}, DiffSide::Of(*b_));
  EXPECT_EQ(added.OldWidth, 0);
  EXPECT_EQ(added.Width, 20);
  EXPECT_EQ(Layer(added, kRegionGround).ChangedCells, 1);
  EXPECT_TRUE(DiffMaps(DiffSide{}, DiffSide{}).Equal());
}

TEST_F(MapDiffTest, AtMostAHundredAreasAreListedAndTheRestCounted) {
  b_->SetMapSize(40, 40);
  a_->SetMapSize(40, 40);
  // 20 x 20 = 400 single-cell areas on every other cell.
  for (int x = 0; x < 40; x += 2)
    for (int y = 0; y < 40; y += 2) b_->SetLight(x, y, 1);
  const MapDiff d = Diff();
  EXPECT_EQ(Layer(d, kRegionAttributes).Areas.size(), 400u);
  const std::string text = DiffText(d);
  EXPECT_NE(text.find("attributes: 400 cells changed in 400 areas\n"), std::string::npos);
  // Five rows of twenty: the last listed is the end of row 8.
  EXPECT_NE(text.find("  38,8 - 38,8 (1 x 1)\n  and 300 more areas\n"), std::string::npos);
  EXPECT_EQ(text.find("0,10 - "), std::string::npos);
  const std::string json = DiffJson(d);
  EXPECT_NE(json.find("{\"x0\":38,\"y0\":8,\"x1\":38,\"y1\":8}],\"more_areas\":300}"),
            std::string::npos);
  EXPECT_EQ(json.find("\"y0\":10"), std::string::npos);
}

}  // namespace
}  // namespace hl

// The select tool, the paste preview and the fill band, press by press.
#include <gtest/gtest.h>

#include <memory>

#include "app/RegionTool.h"

namespace hl {
namespace {

class RegionToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_->SetMapSize(40, 30);
    for (int x = 0; x < 40; ++x) {
      for (int y = 0; y < 30; ++y) {
        TMapCell c{};
        c.MiddleTile = static_cast<std::uint16_t>(1 + x + 40 * y);
        doc_->SetCell(x, y, c);
      }
    }
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  RegionCommands regions_{*doc_};
  RegionTool tool_{regions_};
};

TEST_F(RegionToolTest, ABandBecomesTheSelectionAndClicksBesideItLetItGo) {
  tool_.PressSelect(9, 7);
  tool_.Drag(4, 3);
  EXPECT_EQ(tool_.Outline(), (CellRect{4, 3, 9, 7}));  // the band while dragging, any corner
  tool_.Release(kRegionSmall);
  EXPECT_EQ(regions_.Selection(), (CellRect{4, 3, 9, 7}));
  EXPECT_EQ(tool_.Outline(), regions_.Selection());
  // With the ground among the layers the band grows to whole blocks.
  tool_.PressSelect(20, 20);
  tool_.Drag(23, 21);
  tool_.Release(kRegionAllLayers);
  EXPECT_EQ(regions_.Selection(), (CellRect{20, 20, 23, 21}));
  tool_.PressSelect(21, 21);  // inside: a click without a drag moves nothing
  tool_.Release(kRegionAllLayers);
  EXPECT_EQ(regions_.Selection(), (CellRect{20, 20, 23, 21}));
  tool_.PressSelect(2, 2);  // beside it: let go
  tool_.Release(kRegionAllLayers);
  EXPECT_FALSE(regions_.Selection());
  tool_.PressSelect(5, 5);  // with none, a click takes its cell
  tool_.Release(kRegionSmall);
  EXPECT_EQ(regions_.Selection(), (CellRect{5, 5, 5, 5}));
  EXPECT_EQ(doc_->UndoCount(), 0);  // selecting is no step
  EXPECT_TRUE(tool_.Escape());
  EXPECT_FALSE(regions_.Selection());
  EXPECT_FALSE(tool_.Escape());
}

TEST_F(RegionToolTest, DraggingInsideTheSelectionMovesItAsOneStep) {
  regions_.Select(10, 10, 13, 11, kRegionSmall);
  tool_.PressSelect(11, 10);
  tool_.Drag(14, 12);
  ASSERT_NE(tool_.PreviewCopy(), nullptr);
  EXPECT_EQ(tool_.Preview(), (CellRect{13, 12, 16, 13}));
  EXPECT_EQ(tool_.Outline(), (CellRect{13, 12, 16, 13}));
  const int before = doc_->UndoCount();
  EXPECT_TRUE(tool_.Release(kRegionSmall).Moved);
  EXPECT_EQ(doc_->UndoCount(), before + 1);
  EXPECT_EQ(doc_->GetMiddleTile(13, 12), 10 + 40 * 10);  // the image number, one less
  EXPECT_EQ(doc_->GetMiddleTile(10, 10), -1);  // the old place is empty
  EXPECT_EQ(regions_.Selection(), (CellRect{13, 12, 16, 13}));
  EXPECT_EQ(tool_.PreviewCopy(), nullptr);
  doc_->PopUndo();
  EXPECT_EQ(doc_->GetMiddleTile(10, 10), 10 + 40 * 10);
}

TEST_F(RegionToolTest, GroundMovesByWholeBlocksAndEscapeGivesUpADrag) {
  regions_.Select(10, 10, 13, 13, kRegionAllLayers);
  tool_.PressSelect(10, 10);
  tool_.Drag(11, 13);  // one column is no block: only the rows move, rounded to two
  EXPECT_EQ(tool_.Outline(), (CellRect{10, 12, 13, 15}));
  EXPECT_TRUE(tool_.Escape());
  EXPECT_EQ(tool_.Outline(), (CellRect{10, 10, 13, 13}));  // the selection, where it was
  EXPECT_EQ(doc_->UndoCount(), 0);
  tool_.PressSelect(10, 10);
  tool_.Drag(11, 11);  // less than a block both ways: no move, no step
  EXPECT_FALSE(tool_.Release(kRegionAllLayers).Moved);
  EXPECT_EQ(doc_->UndoCount(), 0);
}

TEST_F(RegionToolTest, APasteFollowsTheMouseUntilAClickPlacesIt) {
  EXPECT_FALSE(tool_.StartPaste());  // nothing copied
  regions_.Select(0, 0, 3, 1, kRegionAllLayers);
  regions_.Copy();
  const int version = tool_.PreviewVersion();
  ASSERT_TRUE(tool_.StartPaste());
  EXPECT_NE(tool_.PreviewVersion(), version);
  EXPECT_TRUE(tool_.Placing());
  tool_.Hover(7, 5);  // snapped to even, as the ground asks
  EXPECT_EQ(tool_.Preview(), (CellRect{6, 4, 9, 5}));
  tool_.Hover(9, 9);
  EXPECT_EQ(tool_.Preview(), (CellRect{8, 8, 11, 9}));
  tool_.PressPlace(9, 9, false);
  EXPECT_FALSE(tool_.Placing());
  EXPECT_EQ(doc_->GetMiddleTile(8, 8), 0);
  EXPECT_EQ(doc_->UndoCount(), 1);
  EXPECT_EQ(regions_.Selection(), (CellRect{8, 8, 11, 9}));  // the placed cells, ready to move
  // Escape drops a preview without placing it.
  ASSERT_TRUE(tool_.StartPaste());
  tool_.Hover(20, 20);
  EXPECT_TRUE(tool_.Escape());
  EXPECT_FALSE(tool_.Placing());
  EXPECT_EQ(doc_->GetMiddleTile(20, 20), 20 + 40 * 20);
  EXPECT_EQ(doc_->UndoCount(), 1);
}

TEST_F(RegionToolTest, AFillBandIsHandedBackWithoutTouchingTheSelection) {
  regions_.Select(1, 1, 2, 2, kRegionSmall);
  tool_.PressFill(8, 6);
  tool_.Drag(3, 9);
  EXPECT_EQ(tool_.Outline(), (CellRect{3, 6, 8, 9}));
  const RegionTool::Released r = tool_.Release(kRegionSmall);
  EXPECT_EQ(r.Fill, (CellRect{3, 6, 8, 9}));
  EXPECT_EQ(regions_.Selection(), (CellRect{1, 1, 2, 2}));
  EXPECT_EQ(doc_->UndoCount(), 0);  // the caller fills
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/Region.h"

namespace hl {
namespace {

// A cell whose every field is set, so that each layer shows what it moved.
TMapCell Full(int n) {
  const auto b = static_cast<std::uint8_t>(n);
  return TMapCell{static_cast<std::uint16_t>(kMarkBit | (100 + n)),
                  static_cast<std::uint16_t>(200 + n),
                  static_cast<std::uint16_t>(kMarkBit | (300 + n)),
                  static_cast<std::uint8_t>(b | 1),
                  b,
                  static_cast<std::uint8_t>(0x80 | b),
                  b,
                  static_cast<std::uint8_t>(n % 7),
                  b};
}

class RegionTest : public ::testing::Test {
 protected:
  void Fill(const CellRect& r) {
    for (int x = r.X0; x <= r.X1; ++x)
      for (int y = r.Y0; y <= r.Y1; ++y) doc_->SetCell(x, y, Full(x * 7 + y));
  }
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
};

TEST_F(RegionTest, GroundSelectionsGrowToWholeBlocksAndStayOnTheMap) {
  EXPECT_EQ(SelectionRect(*doc_, 5, 7, 2, 3, kRegionGround), (CellRect{2, 2, 5, 7}));
  EXPECT_EQ(SelectionRect(*doc_, 3, 3, 6, 6, kRegionGround), (CellRect{2, 2, 7, 7}));
  EXPECT_EQ(SelectionRect(*doc_, 3, 3, 6, 6, kRegionSmall | kRegionObjects), (CellRect{3, 3, 6, 6}));
  doc_->SetMapSize(11, 9);
  EXPECT_EQ(SelectionRect(*doc_, -3, 5, 20, 20, kRegionAllLayers), (CellRect{0, 4, 10, 8}));
  EXPECT_TRUE(SelectionRect(*doc_, 12, 0, 30, 3, kRegionSmall).Empty());
  // The cells beyond the accessors count as off the map, however large the map says it is.
  doc_->SetMapSize(1011, 1011);
  EXPECT_EQ(SelectionRect(*doc_, 990, 990, 2000, 2000, kRegionGround), (CellRect{990, 990, 998, 998}));
}

TEST_F(RegionTest, EachLayerCarriesItsOwnFieldsAndKeepsTheTargetsMarks) {
  Fill({0, 0, 1, 1});
  const TMapCell target{0x0005, 6, 0x0007, 8, 9, 10, 11, 12, 13};  // no marks
  struct Case {
    std::uint8_t Layers;
    TMapCell Expected;
  };
  const TMapCell s = Full(0);
  for (const Case& c :
       {Case{kRegionGround, {100, 6, 7, 8, 9, 10, 11, 12, 13}},
        Case{kRegionSmall, {5, 200, 7, 8, 9, 10, 11, 12, 13}},
        Case{kRegionObjects, {5, 6, 300, 8, 9, s.AniFrame, s.AniTick, s.ObjectLib, 13}},
        Case{kRegionAttributes,
             {kMarkBit | 5, 6, kMarkBit | 7, s.Door, s.DoorOffset, 10, 11, 12, s.Light}}}) {
    doc_->SetCell(40, 40, target);
    const RegionCopy copy = CopyRegion(*doc_, {0, 0, 0, 0}, c.Layers);
    PasteRegion(*doc_, copy, 40, 40, false);
    EXPECT_EQ(doc_->Cell(40, 40), c.Expected) << int(c.Layers);
  }
  // The ground and objects keep a marked target's marks; attributes take the copy's.
  doc_->SetCell(40, 40, TMapCell{kMarkBit, 0, kMarkBit, 0, 0, 0, 0, 0, 0});
  doc_->SetCell(0, 0, TMapCell{3, 0, 4, 0, 0, 0, 0, 0, 0});
  PasteRegion(*doc_, CopyRegion(*doc_, {0, 0, 0, 0}, kRegionGround | kRegionObjects), 40, 40,
              false);
  EXPECT_EQ(doc_->Cell(40, 40), (TMapCell{kMarkBit | 3, 0, kMarkBit | 4, 0, 0, 0, 0, 0, 0}));
  PasteRegion(*doc_, CopyRegion(*doc_, {0, 0, 0, 0}, kRegionAttributes), 40, 40, false);
  EXPECT_EQ(doc_->Cell(40, 40), (TMapCell{3, 0, 4, 0, 0, 0, 0, 0, 0}));
}

TEST_F(RegionTest, AMergeLeavesTheTargetWhereTheCopyIsEmptyUnitByUnit) {
  const TMapCell target = Full(9);
  doc_->SetCell(20, 20, target);
  // A copy cell with only a small tile, a light and the back mark.
  doc_->SetCell(0, 0, TMapCell{kMarkBit, 77, 0, 0, 55, 0x85, 3, 4, 2});
  const RegionCopy copy = CopyRegion(*doc_, {0, 0, 0, 0}, kRegionAllLayers);
  PasteRegion(*doc_, copy, 20, 20, true);
  TMapCell expected = target;
  expected.MiddleTile = 77;
  expected.Light = 2;
  // No object in the copy: its library and animation are not written either; no door: the
  // offset goes with it; the clear front mark leaves the target's set.
  EXPECT_EQ(doc_->Cell(20, 20), expected);

  // Replacing writes the empty units as they are.
  PasteRegion(*doc_, copy, 20, 20, false);
  EXPECT_EQ(doc_->Cell(20, 20), (TMapCell{kMarkBit, 77, 0, 0, 55, 0x85, 3, 4, 2}));
}

TEST_F(RegionTest, PastesWithGroundLandOnEvenCellsAndNeverLeaveTheMap) {
  Fill({0, 0, 3, 3});
  const RegionCopy ground = CopyRegion(*doc_, {0, 0, 3, 3}, kRegionAllLayers);
  EXPECT_EQ(PasteOrigin(ground, 11, 7), (std::pair{10, 6}));
  EXPECT_EQ(PasteOrigin(ground, -3, -1), (std::pair{-4, -2}));
  EXPECT_EQ(PasteOrigin(CopyRegion(*doc_, {0, 0, 3, 3}, kRegionSmall), 11, 7), (std::pair{11, 7}));

  EXPECT_EQ(PasteRegion(*doc_, ground, 11, 7, false), (CellRect{10, 6, 13, 9}));
  EXPECT_EQ(doc_->Cell(10, 6), doc_->Cell(0, 0));
  EXPECT_EQ(doc_->Cell(13, 9), doc_->Cell(3, 3));

  doc_->SetMapSize(30, 30);
  const TMapCell beyond{1, 1, 1, 1, 1, 1, 1, 1, 1};
  doc_->SetCell(30, 28, beyond);
  EXPECT_EQ(PasteRegion(*doc_, ground, 28, 27, false), (CellRect{28, 26, 29, 29}));
  EXPECT_EQ(doc_->Cell(30, 28), beyond);  // off the map: never written
  EXPECT_EQ(doc_->Cell(29, 29), doc_->Cell(1, 3));
  // A paste hanging over the top-left corner writes only its part on the map.
  EXPECT_EQ(PasteRegion(*doc_, ground, -1, -1, false), (CellRect{0, 0, 1, 1}));
  EXPECT_EQ(doc_->Cell(0, 0), ground.At(2, 2));
  EXPECT_TRUE(PasteRegion(*doc_, ground, -3, -3, false).Empty());  // all of it off the map
}

TEST_F(RegionTest, CellsOffTheMapAreCopiedAsEmptyAndNotDeleted) {
  doc_->SetMapSize(10, 10);
  Fill({8, 8, 11, 11});
  const RegionCopy copy = CopyRegion(*doc_, {8, 8, 11, 11}, kRegionAllLayers);
  EXPECT_EQ(copy.At(1, 1), doc_->Cell(9, 9));
  EXPECT_EQ(copy.At(2, 1), TMapCell{});
  DeleteRegion(*doc_, {8, 8, 11, 11}, kRegionAllLayers);
  EXPECT_EQ(doc_->Cell(9, 9), TMapCell{});
  EXPECT_EQ(doc_->Cell(10, 10), Full(10 * 7 + 10));
}

TEST_F(RegionTest, DeleteClearsOnlyTheChosenLayers) {
  Fill({0, 0, 0, 0});
  const TMapCell before = doc_->Cell(0, 0);
  DeleteRegion(*doc_, {0, 0, 0, 0}, kRegionSmall | kRegionAttributes);
  const TMapCell after = doc_->Cell(0, 0);
  EXPECT_EQ(after.BackTile, before.BackTile & kNumberBits);
  EXPECT_EQ(after.ObjectImage, before.ObjectImage & kNumberBits);
  EXPECT_EQ(after.MiddleTile, 0);
  EXPECT_EQ(after.Light, 0);
  EXPECT_EQ(after.Door, 0);
  EXPECT_EQ(after.DoorOffset, 0);
  EXPECT_EQ(after.ObjectLib, before.ObjectLib);
  EXPECT_EQ(after.AniFrame, before.AniFrame);
  DeleteRegion(*doc_, {0, 0, 0, 0}, kRegionGround | kRegionObjects);
  EXPECT_EQ(doc_->Cell(0, 0), TMapCell{});
}

TEST_F(RegionTest, MovesRoundTheirOffsetTowardZeroToEvenWithGround) {
  EXPECT_EQ(MoveOffset(kRegionGround, 3, -3), (std::pair{2, -2}));
  EXPECT_EQ(MoveOffset(kRegionGround, 1, -1), (std::pair{0, 0}));
  EXPECT_EQ(MoveOffset(kRegionObjects, 3, -3), (std::pair{3, -3}));
  Fill({4, 4, 7, 7});
  const RegionCopy before = CopyRegion(*doc_, {4, 4, 7, 7}, kRegionAllLayers);
  // Overlapping the old place: the content arrives whole.
  EXPECT_EQ(MoveRegion(*doc_, {4, 4, 7, 7}, kRegionAllLayers, 3, 1), (CellRect{6, 4, 9, 7}));
  EXPECT_EQ(CopyRegion(*doc_, {6, 4, 9, 7}, kRegionAllLayers).Cells, before.Cells);
  EXPECT_EQ(doc_->Cell(4, 4), TMapCell{});
  EXPECT_EQ(doc_->Cell(5, 7), TMapCell{});
}

TEST_F(RegionTest, TheClipboardFormRoundTripsAndRefusesWhatIsNotOurs) {
  Fill({0, 0, 2, 1});
  const RegionCopy copy = CopyRegion(*doc_, {0, 0, 2, 1}, kRegionSmall | kRegionAttributes);
  const auto bytes = EncodeCells(copy);
  ASSERT_EQ(bytes.size(), 13u + 6 * 12);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "HLCELLS1");
  EXPECT_EQ(bytes[8], 3);
  EXPECT_EQ(bytes[10], 2);
  EXPECT_EQ(bytes[12], kRegionSmall | kRegionAttributes);
  // Column by column: the second record is cell (0, 1).
  EXPECT_EQ(bytes[13 + 12], static_cast<std::uint8_t>(Full(1).BackTile & 0xFF));
  std::string why;
  const auto back = DecodeCells(bytes, &why);
  ASSERT_TRUE(back) << why;
  EXPECT_EQ(back->Width, 3);
  EXPECT_EQ(back->Height, 2);
  EXPECT_EQ(back->Layers, copy.Layers);
  EXPECT_EQ(back->Cells, copy.Cells);

  auto broken = bytes;
  broken[0] = 'X';
  EXPECT_FALSE(DecodeCells(broken, &why));
  EXPECT_FALSE(why.empty());
  broken = bytes;
  broken.pop_back();
  EXPECT_FALSE(DecodeCells(broken, &why));
  broken = bytes;
  broken[12] = 0x10;
  EXPECT_FALSE(DecodeCells(broken, &why));
  broken = bytes;
  broken[8] = 0;
  broken[9] = 0;
  EXPECT_FALSE(DecodeCells(broken, &why));
  EXPECT_FALSE(DecodeCells(std::vector<std::uint8_t>{'H', 'L'}, &why));
}

TEST_F(RegionTest, ASetMadeFromASelectionCarriesAllButSmallTiles) {
  doc_->SetCell(4, 6, TMapCell{kMarkBit | 21, 9, 31, 0x83, 7, 0x82, 5, 2, 3});
  doc_->SetCell(5, 6, TMapCell{21, 0, 0, 0, 0, 0, 0, 0, 0});
  doc_->SetCell(5, 7, TMapCell{21, 0, kMarkBit, 0, 0, 0, 0, 0, 0});
  bool small = false;
  const TObjectSet set = SetFromRegion(CopyRegion(*doc_, {4, 6, 5, 7}, kRegionAllLayers), &small);
  EXPECT_TRUE(small);
  ASSERT_EQ(set.size(), 4u);  // every cell of the block carries its tile
  const TSetCell& first = set[0];
  EXPECT_EQ(first.X, 0);
  EXPECT_EQ(first.Y, 0);
  EXPECT_EQ(first.TileIndex, 20);
  EXPECT_EQ(first.ObjIndex, ObjectIndex::Make(2, 30));
  EXPECT_EQ(first.AniFrame, 2);
  EXPECT_EQ(first.Alpha, 1);
  EXPECT_EQ(first.AniTick, 5);
  EXPECT_EQ(first.Light, 3);
  EXPECT_EQ(first.Door, 0x83);
  EXPECT_EQ(first.DoorOffset, 7);
  EXPECT_EQ(first.Marks, 1);
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(set[i].X, static_cast<int>(i / 2));
    EXPECT_EQ(set[i].Y, static_cast<int>(i % 2));
    // The even cell's tile, whatever the others hold (4, 7 held none).
    EXPECT_EQ(set[i].TileIndex, 20) << i;
  }
  EXPECT_EQ(set[3].Marks, 2);

  const TObjectSet none = SetFromRegion(CopyRegion(*doc_, {4, 6, 5, 7}, kRegionSmall), &small);
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(small);
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "map/MapFile.h"
#include "map/OldFormat.h"

namespace hl {
namespace {

class OldFormatTest : public ::testing::Test {
 protected:
  // An old-layout map file: objects with a library byte and bit 15 that mean something else.
  // Written byte by byte, since a save would move library 7 to 6.
  void WriteOldMap(const std::string& name, std::uint8_t lib) {
    constexpr int kWidth = 20, kHeight = 10;
    std::vector<TMapCell> cells(kWidth * kHeight, TMapCell{0, 0, 0, 0, 0, 0, 0, 0, 0});
    cells[3 * kHeight + 4] = TMapCell{0x8011, 7, 0x8123, 1, 2, 3, 4, lib, 5};
    cells[19 * kHeight + 9] = TMapCell{0, 0, 0x0042, 0, 0, 0, 0, lib, 0};
    const auto header = EncodeMapHeader(kWidth, kHeight, kBitCountData);
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    const auto* raw = reinterpret_cast<const std::uint8_t*>(cells.data());
    bytes.insert(bytes.end(), raw, raw + cells.size() * sizeof(TMapCell));
    test::WriteFileBytes(dir_.File(name), bytes);
  }

  test::TempDir dir_;
};

TEST_F(OldFormatTest, ConvertedCellsReferToLibraryZeroWithoutFrontMark) {
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(20, 10);
  doc->SetCell(3, 4, TMapCell{0x8011, 7, 0x8123, 1, 2, 3, 4, 0x55, 5});
  doc->SetCell(19, 9, TMapCell{0, 0, 0x8000, 0, 0, 0, 0, 3, 0});
  doc->SetCell(20, 0, TMapCell{0, 0, 0x8123, 0, 0, 0, 0, 0x55, 0});  // outside the map
  doc->SetCell(0, 10, TMapCell{0, 0, 0x8123, 0, 0, 0, 0, 0x55, 0});
  ConvertOldCells(*doc);
  EXPECT_EQ(doc->Cell(3, 4), (TMapCell{0x8011, 7, 0x0123, 1, 2, 3, 4, 0, 5}));
  EXPECT_EQ(doc->Cell(19, 9), TMapCell{});
  EXPECT_EQ(doc->Cell(20, 0).ObjectLib, 0x55);
  EXPECT_EQ(doc->Cell(0, 10).ObjectImage, 0x8123);
}

TEST_F(OldFormatTest, BatchConvertsInOrderAndSkipsWhatDoesNotLoad) {
  WriteOldMap("one.map", 7);
  WriteOldMap("three.map", 0x55);
  const std::vector<std::string> files = {dir_.File("one.map"), dir_.File("two.map"),
                                          dir_.File("three.map")};
  std::vector<std::pair<std::string, BatchOutcome>> seen;
  const bool all = ConvertOldFiles(files, kBitCountWil, [&](const std::string& f, BatchOutcome o) {
    seen.emplace_back(f, o);
    return true;
  });
  EXPECT_FALSE(all);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::pair(files[0], BatchOutcome::Converted));
  EXPECT_EQ(seen[1], std::pair(files[1], BatchOutcome::Skipped));
  EXPECT_EQ(seen[2], std::pair(files[2], BatchOutcome::Converted));
  EXPECT_FALSE(test::FileExists(files[1]));

  for (const auto& f : {files[0], files[2]}) {
    auto doc = std::make_unique<MapDocument>();
    TMapHeader header;
    ASSERT_TRUE(LoadMap(*doc, f, &header));
    EXPECT_EQ(header.MapBitCount, kBitCountWil);
    // Library 7 goes to 0 like every other; the save's move to library 6 never applies.
    EXPECT_EQ(doc->Cell(3, 4), (TMapCell{0x8011, 7, 0x0123, 1, 2, 3, 4, 0, 5}));
    EXPECT_EQ(doc->Cell(19, 9).ObjectLib, 0);
    EXPECT_EQ(doc->Cell(19, 9).ObjectImage, 0x42);
  }
}

TEST_F(OldFormatTest, BatchStopsWhenAskedBetweenFiles) {
  WriteOldMap("a.map", 3);
  WriteOldMap("b.map", 3);
  const auto before = test::ReadFileBytes(dir_.File("b.map"));
  const std::vector<std::string> files = {dir_.File("a.map"), dir_.File("b.map")};
  int heard = 0;
  EXPECT_FALSE(ConvertOldFiles(files, kBitCountData, [&](const std::string&, BatchOutcome) {
    ++heard;
    return false;
  }));
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(test::ReadFileBytes(dir_.File("b.map")), before);
}

TEST_F(OldFormatTest, BatchReportsFilesThatDoNotSaveAndKeepsThem) {
  WriteOldMap("a.map", 1);
  const auto before = test::ReadFileBytes(dir_.File("a.map"));
  const std::vector<std::string> files = {dir_.File("a.map")};
  BatchOutcome outcome = BatchOutcome::Converted;
  bool all = true;
  {
    test::FileSizeLimit limit(1000);  // the map needs 2,452 bytes
    all = ConvertOldFiles(files, kBitCountData, [&](const std::string&, BatchOutcome o) {
      outcome = o;
      return true;
    });
  }
  EXPECT_FALSE(all);
  EXPECT_EQ(outcome, BatchOutcome::Failed);
  EXPECT_EQ(test::ReadFileBytes(dir_.File("a.map")), before);
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "map/MapFile.h"

namespace hl {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

std::vector<std::uint8_t> MapBytes(int width, int height, std::size_t cellBytes,
                                   std::uint8_t fill = 0) {
  auto header = EncodeMapHeader(width, height, kBitCountData);
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  bytes.resize(kMapHeaderSize + cellBytes, fill);
  return bytes;
}

std::size_t FullSize(int width, int height) {
  return kMapHeaderSize + static_cast<std::size_t>(width) * height * sizeof(TMapCell);
}

void FillRandom(MapDocument& doc, unsigned seed) {
  std::mt19937 rng(seed);
  for (int x = 0; x < doc.MapWidth(); ++x) {
    for (int y = 0; y < doc.MapHeight(); ++y) {
      TMapCell c;
      auto* bytes = reinterpret_cast<std::uint8_t*>(&c);
      for (std::size_t i = 0; i < sizeof c; ++i) bytes[i] = static_cast<std::uint8_t>(rng());
      if (c.ObjectLib == 7) c.ObjectLib = 8;
      doc.SetCell(x, y, c);
    }
  }
}

class MapFileTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  MapDocument& d() { return *doc_; }
};

TEST_F(MapFileTest, HeaderIsByteExact) {
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  const auto bytes = ReadFileBytes(dir_.File("a.map"));
  ASSERT_EQ(bytes.size(), 480052u);
  const std::uint8_t expected[52] = {200, 0,   200, 0,   13,  'Q', 'u', 'i', 'e', 't',
                                     ' ', 'H', 'a', 'r', 'b', 'o', 'u', 'r', 0,   0,
                                     0,   0,   0,   0,   0,   0,   0,   0,   0,   16};
  EXPECT_EQ(std::memcmp(bytes.data(), expected, 52), 0);

  ASSERT_TRUE(SaveMap(d(), dir_.File("w.map"), kBitCountWil));
  EXPECT_EQ(ReadFileBytes(dir_.File("w.map"))[29], 0);
}

TEST_F(MapFileTest, CellsAreWrittenColumnByColumn) {
  d().SetMapSize(3, 2);
  d().SetCell(0, 1, TMapCell{0x0102, 0, 0, 0, 0, 0, 0, 0, 0});
  d().SetCell(1, 0, TMapCell{0, 0, 0, 0, 0, 0, 0, 0, 0x33});
  d().SetCell(2, 1, TMapCell{0, 0, 0x0405, 0, 0, 0, 0, 0, 0});
  d().SetCell(0, 2, TMapCell{9, 9, 9, 9, 9, 9, 9, 9, 9});  // outside the map: not written
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  const auto bytes = ReadFileBytes(dir_.File("a.map"));
  ASSERT_EQ(bytes.size(), FullSize(3, 2));
  auto cellAt = [&](int index) { return &bytes[kMapHeaderSize + index * 12u]; };
  EXPECT_EQ(cellAt(1)[0], 0x02);  // column 0, row 1
  EXPECT_EQ(cellAt(1)[1], 0x01);
  EXPECT_EQ(cellAt(2)[11], 0x33);  // column 1, row 0
  EXPECT_EQ(cellAt(5)[4], 0x05);   // column 2, row 1
  EXPECT_EQ(cellAt(5)[5], 0x04);
}

TEST_F(MapFileTest, RoundTripsEveryByteOfTheCellsInUse) {
  d().SetMapSize(321, 123);
  FillRandom(d(), 7);
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  auto loaded = std::make_unique<MapDocument>();
  TMapHeader header;
  ASSERT_TRUE(LoadMap(*loaded, dir_.File("a.map"), &header));
  EXPECT_EQ(header.TitleText(), "Quiet Harbour");
  EXPECT_EQ(header.MapBitCount, 16);
  EXPECT_EQ(loaded->MapWidth(), 321);
  EXPECT_EQ(loaded->MapHeight(), 123);
  for (int x = 0; x < 1011; ++x) {
    for (int y = 0; y < 1011; ++y) {
      const TMapCell expected = x < 321 && y < 123 ? d().Cell(x, y) : TMapCell{};
      ASSERT_EQ(loaded->Cell(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(MapFileTest, LoadingEmptiesTheHistoryAndCellsOutsideTheMap) {
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  d().SetCell(1005, 1005, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});
  d().PushUndo();
  ASSERT_TRUE(LoadMap(d(), dir_.File("a.map")));
  EXPECT_EQ(d().UndoCount(), 0);
  EXPECT_EQ(d().Cell(1005, 1005), TMapCell{});
}

TEST_F(MapFileTest, OnlyTheColumnsOfALoadedMapTakeMemory) {
  d().SetMapSize(3, 5);
  FillRandom(d(), 11);
  ASSERT_TRUE(SaveMap(d(), dir_.File("small.map"), kBitCountData));
  // A header of 4 columns over a body of 2.5: the third column is cut, the fourth missing.
  auto bytes = ReadFileBytes(dir_.File("small.map"));
  bytes[0] = 4;
  bytes.resize(bytes.size() - 3 * sizeof(TMapCell));
  WriteFileBytes(dir_.File("cut.map"), bytes);

  auto loaded = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*loaded, dir_.File("cut.map")));
  for (int x = 0; x < 3; ++x) EXPECT_FALSE(loaded->Cells().SharesEmptyColumn(x)) << x;
  for (int x = 3; x < kStorageSide; ++x) ASSERT_TRUE(loaded->Cells().SharesEmptyColumn(x)) << x;
  EXPECT_EQ(loaded->Cell(2, 1), d().Cell(2, 1));
  EXPECT_EQ(loaded->Cell(2, 2), TMapCell{});
  EXPECT_EQ(loaded->Cell(1, 5), TMapCell{});

  // Two documents loaded from one file share nothing that a write could reach.
  auto twin = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*twin, dir_.File("cut.map")));
  loaded->SetLight(1, 1, 77);
  loaded->SetLight(500, 1, 77);
  EXPECT_EQ(twin->Cell(1, 1), d().Cell(1, 1));
  EXPECT_EQ(twin->Cell(500, 1), TMapCell{});
}

TEST_F(MapFileTest, OverwritingKeepsTheLongerOldFileLength) {
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  const auto old = ReadFileBytes(dir_.File("a.map"));
  d().SetMapSize(100, 100);
  d().SetLight(0, 0, 3);
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  const auto now = ReadFileBytes(dir_.File("a.map"));
  ASSERT_EQ(now.size(), 480052u);
  // Past the new end the old bytes stand as the old file had them.
  EXPECT_TRUE(
      std::equal(now.begin() + FullSize(100, 100), now.end(), old.begin() + FullSize(100, 100)));
  auto loaded = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*loaded, dir_.File("a.map")));
  EXPECT_EQ(loaded->MapWidth(), 100);
  EXPECT_EQ(loaded->MapHeight(), 100);
  EXPECT_EQ(loaded->Cell(0, 0).Light, 3);
}

TEST_F(MapFileTest, RefusedFilesLeaveTheDocumentUntouched) {
  d().SetMapSize(77, 66);
  d().SetCell(10, 10, TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9});
  d().PushUndo();
  d().SetCell(10, 10, TMapCell{9, 8, 7, 6, 5, 4, 3, 2, 1});
  d().CloseAction();

  WriteFileBytes(dir_.File("zero-width.map"), MapBytes(0, 50, 1000));
  WriteFileBytes(dir_.File("zero-height.map"), MapBytes(50, 0, 1000));
  WriteFileBytes(dir_.File("too-wide.map"), MapBytes(1012, 10, 1000));
  WriteFileBytes(dir_.File("too-high.map"), MapBytes(10, 1012, 1000));
  WriteFileBytes(dir_.File("huge.map"), MapBytes(65535, 65535, 1000));
  auto shortHeader = MapBytes(10, 10, 0);
  shortHeader.resize(51);
  WriteFileBytes(dir_.File("short.map"), shortHeader);
  WriteFileBytes(dir_.File("empty.map"), {});
  std::filesystem::create_directory(dir_.File("folder.map"));

  const struct {
    const char* Name;
    const char* Reason;
  } refused[] = {
      {"zero-width.map", "not a map file: its header says 0 x 50 cells"},
      {"zero-height.map", "not a map file: its header says 50 x 0 cells"},
      {"too-wide.map", "1012 x 10 cells is larger than the 1011 x 1011 the editor holds"},
      {"too-high.map", "10 x 1012 cells is larger than the 1011 x 1011 the editor holds"},
      {"huge.map", "65535 x 65535 cells is larger than the 1011 x 1011 the editor holds"},
      {"short.map", "not a map file: the header is 51 bytes, not 52"},
      {"empty.map", "not a map file: the file is empty"},
      {"folder.map", "it is a folder"},
      {"missing.map", "the file does not exist"}};
  for (const auto& [name, reason] : refused) {
    const LoadResult read = LoadMap(d(), dir_.File(name));
    EXPECT_FALSE(read) << name;
    EXPECT_EQ(read.Message(), "cannot open '" + dir_.File(name) + "': " + reason);
    EXPECT_EQ(read.Reason(), reason);
    EXPECT_EQ(read.Warning(), "");
    EXPECT_EQ(d().MapWidth(), 77) << name;
    EXPECT_EQ(d().MapHeight(), 66) << name;
    EXPECT_EQ(d().UndoCount(), 1) << name;
    EXPECT_EQ(d().Cell(10, 10), (TMapCell{9, 8, 7, 6, 5, 4, 3, 2, 1})) << name;
  }
  d().PopUndo();
  EXPECT_EQ(d().Cell(10, 10), (TMapCell{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(MapFileTest, SizesUpToTheWholeStorageRoundTrip) {
  for (int side : {1000, 1011}) {
    d().SetMapSize(side, side);
    d().SetCell(side - 1, side - 1, TMapCell{4, 3, 2, 1, 0, 0, 0, 0, 5});
    ASSERT_TRUE(SaveMap(d(), dir_.File("big.map"), kBitCountData));
    EXPECT_EQ(std::filesystem::file_size(dir_.File("big.map")), FullSize(side, side));
    auto loaded = std::make_unique<MapDocument>();
    ASSERT_TRUE(LoadMap(*loaded, dir_.File("big.map")));
    EXPECT_EQ(loaded->MapWidth(), side);
    EXPECT_EQ(loaded->MapHeight(), side);
    EXPECT_EQ(loaded->Cell(side - 1, side - 1), (TMapCell{4, 3, 2, 1, 0, 0, 0, 0, 5}));
  }
}

TEST_F(MapFileTest, ShortBodyLoadsWithTheMissingCellsEmpty) {
  // Header only: the header's size with every cell empty.
  WriteFileBytes(dir_.File("h.map"), MapBytes(40, 30, 0));
  d().SetCell(3, 3, TMapCell{1, 0, 0, 0, 0, 0, 0, 0, 0});
  const LoadResult headerOnly = LoadMap(d(), dir_.File("h.map"));
  ASSERT_TRUE(headerOnly);
  EXPECT_EQ(headerOnly.Message(), "");
  EXPECT_EQ(headerOnly.Warning(), "'" + dir_.File("h.map") +
                                      "' is shorter than its header says: 0 of 40 columns were "
                                      "read; the rest is empty");
  EXPECT_EQ(d().MapWidth(), 40);
  EXPECT_EQ(d().MapHeight(), 30);
  EXPECT_EQ(d().Cell(3, 3), TMapCell{});

  // Cut in the middle of column 1, row 2, byte 5.
  WriteFileBytes(dir_.File("cut.map"), MapBytes(4, 3, (3 + 2) * 12 + 5, 0xAB));
  const LoadResult cut = LoadMap(d(), dir_.File("cut.map"));
  ASSERT_TRUE(cut);
  EXPECT_NE(cut.Warning().find(": 1 of 4 columns were read;"), std::string::npos);
  EXPECT_EQ(d().Cell(1, 1).BackTile, 0xABAB);
  const auto* partial = reinterpret_cast<const std::uint8_t*>(&d().Cell(1, 2));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(partial[i], i < 5 ? 0xAB : 0) << i;
  EXPECT_EQ(d().Cell(2, 0), TMapCell{});
  EXPECT_EQ(d().Cell(1, 3), TMapCell{});

  // Complete, or longer than the header says (the tail a longer old file keeps): no warning.
  WriteFileBytes(dir_.File("full.map"), MapBytes(4, 3, 4 * 3 * 12));
  EXPECT_EQ(LoadMap(d(), dir_.File("full.map")).Warning(), "");
  WriteFileBytes(dir_.File("long.map"), MapBytes(4, 3, 4 * 3 * 12 + 500));
  EXPECT_EQ(LoadMap(d(), dir_.File("long.map")).Warning(), "");
  // One byte short: the last column is not whole.
  WriteFileBytes(dir_.File("byte.map"), MapBytes(4, 3, 4 * 3 * 12 - 1));
  EXPECT_NE(LoadMap(d(), dir_.File("byte.map")).Warning().find(": 3 of 4 columns were read;"),
            std::string::npos);
}

TEST_F(MapFileTest, Library7MovesToLibrary6KeepingTheMark) {
  d().SetCell(0, 0, TMapCell{0, 0, 0x8005, 0, 0, 0, 0, 7, 0});
  d().SetCell(0, 1, TMapCell{0, 0, 0x0005, 0, 0, 0, 0, 7, 0});
  d().SetCell(0, 2, TMapCell{0, 0, 22768, 0, 0, 0, 0, 7, 0});  // the largest that fits
  d().SetCell(0, 3, TMapCell{0, 0, 0x8000 | 22769, 0, 0, 0, 0, 7, 0});
  d().SetCell(0, 4, TMapCell{0, 0, 0x7FFF, 0, 0, 0, 0, 7, 0});
  d().SetCell(0, 5, TMapCell{0, 0, 0x8000, 0, 0, 0, 0, 7, 0});  // mark, no object
  d().SetCell(0, 6, TMapCell{0, 0, 0x0005, 0, 0, 0, 0, 6, 0});
  d().SetCell(300, 0, TMapCell{0, 0, 0x0005, 0, 0, 0, 0, 7, 0});  // outside the map
  SaveMapReport report;
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData, &report));
  EXPECT_EQ(report.KeptInLibrary7, 2);

  auto loaded = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*loaded, dir_.File("a.map")));
  for (const MapDocument* m : {&d(), loaded.get()}) {
    EXPECT_EQ(m->Cell(0, 0).ObjectImage, 0x8000 | 10004);
    EXPECT_EQ(m->Cell(0, 0).ObjectLib, 6);
    EXPECT_EQ(m->Cell(0, 1).ObjectImage, 10004);
    EXPECT_EQ(m->Cell(0, 2).ObjectImage, 0x7FFF);
    EXPECT_EQ(m->Cell(0, 2).ObjectLib, 6);
    EXPECT_EQ(m->Cell(0, 3).ObjectImage, 0x8000 | 22769);
    EXPECT_EQ(m->Cell(0, 3).ObjectLib, 7);
    EXPECT_EQ(m->Cell(0, 4).ObjectImage, 0x7FFF);
    EXPECT_EQ(m->Cell(0, 4).ObjectLib, 7);
    EXPECT_EQ(m->Cell(0, 5).ObjectImage, 0x8000);
    EXPECT_EQ(m->Cell(0, 5).ObjectLib, 6);
    EXPECT_EQ(m->Cell(0, 6).ObjectImage, 5);
  }
  EXPECT_EQ(d().Cell(300, 0).ObjectLib, 7);
}

TEST_F(MapFileTest, RemappingSharesNothingWithTheHistory) {
  d().SetCell(4, 4, TMapCell{0, 0, 5, 0, 0, 0, 0, 7, 0});
  d().PushUndo();
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  EXPECT_EQ(d().Cell(4, 4).ObjectLib, 6);
  d().PopUndo();
  EXPECT_EQ(d().Cell(4, 4).ObjectLib, 7);
}

TEST_F(MapFileTest, FailedWritesReportFailureAndKeepTheOldFile) {
  ASSERT_TRUE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  const auto old = ReadFileBytes(dir_.File("a.map"));
  d().SetMapSize(400, 400);
  d().SetLight(1, 1, 1);
  {
    test::FileSizeLimit limit(600000);  // the 400 x 400 map needs 1,920,052 bytes
    EXPECT_FALSE(SaveMap(d(), dir_.File("a.map"), kBitCountData));
  }
  EXPECT_EQ(ReadFileBytes(dir_.File("a.map")), old);
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"a.map"});

  EXPECT_FALSE(SaveMap(d(), "/dev/full", kBitCountData));
  EXPECT_FALSE(SaveMap(d(), dir_.File("missing/a.map"), kBitCountData));
  EXPECT_FALSE(SaveMap(d(), "/proc/harbourlight-test.map", kBitCountData));
}

TEST_F(MapFileTest, SizesTheStorageCannotHoldAreNotSaved) {
  const std::string file = dir_.File("a.map");
  d().SetMapSize(1012, 10);
  const SaveResult wide = SaveMap(d(), file, kBitCountData);
  EXPECT_FALSE(wide);
  EXPECT_EQ(wide.Message(), "cannot write '" + file + "': " + MapSizeProblem(1012, 10));
  EXPECT_NE(MapSizeProblem(1012, 10).find("1012 x 10"), std::string::npos);
  d().SetMapSize(10, -1);
  EXPECT_FALSE(SaveMap(d(), file, kBitCountData));
  EXPECT_FALSE(test::FileExists(file));
  EXPECT_EQ(MapSizeProblem(1011, 1011), "");
  EXPECT_EQ(MapSizeProblem(1, 1), "");

  // A map resized to no rows would overwrite a good file with a header no loader takes.
  d().SetMapSize(10, 10);
  ASSERT_TRUE(SaveMap(d(), file, kBitCountData));
  const auto good = test::ReadFileBytes(file);
  for (auto [w, h] : {std::pair{0, 10}, std::pair{10, 0}}) {
    d().SetMapSize(w, h);
    const std::string problem = MapSizeProblem(w, h);
    EXPECT_NE(problem.find("0 columns or rows"), std::string::npos) << problem;
    const SaveResult saved = SaveMap(d(), file, kBitCountData);
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.Message(), "cannot write '" + file + "': " + problem);
    const SaveResult copied = WriteMapCopy(d(), file, kBitCountData);
    EXPECT_FALSE(copied);
    EXPECT_EQ(copied.Message(), saved.Message());
    EXPECT_EQ(test::ReadFileBytes(file), good);
  }
}

TEST(MapHeader, TitleTextStopsAtSixteenCharacters) {
  auto bytes = EncodeMapHeader(1, 1, 0);
  bytes[4] = 200;
  for (int i = 5; i < 21; ++i) bytes[i] = static_cast<std::uint8_t>('a' + i - 5);
  EXPECT_EQ(DecodeMapHeader(bytes).TitleText(), "abcdefghijklmnop");
  bytes[4] = 0;
  EXPECT_EQ(DecodeMapHeader(bytes).TitleText(), "");
}

}  // namespace
}  // namespace hl

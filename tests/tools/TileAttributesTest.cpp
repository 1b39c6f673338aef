#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "tools/PickerRules.h"
#include "tools/TileAttributes.h"

namespace hl {
namespace {

std::vector<std::uint8_t> Text(const std::string& s) {
  return {s.begin(), s.end()};
}

class TileAttributesTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  TileAttributes atr_;
  std::string error_;
};

TEST_F(TileAttributesTest, WithoutAFileTheFirstToggleWritesOneLinePerRow) {
  ASSERT_TRUE(atr_.Load(dir_.Path(), &error_));
  EXPECT_TRUE(atr_.Values().empty());
  atr_.SetGroupCount(3);
  ASSERT_TRUE(atr_.Toggle(0));
  ASSERT_TRUE(atr_.Save());
  EXPECT_EQ(test::ReadFileBytes(dir_.File("Tile.atr")), Text("1\r\n0\r\n0\r\n0\r\n"));
}

TEST_F(TileAttributesTest, LongerListsAreKeptAndOnlyExactOnesCount) {
  test::WriteFileBytes(dir_.File("Tile.atr"), Text("0\r\n1 \r\n1\r\n0\r\n1"));
  ASSERT_TRUE(atr_.Load(dir_.Path(), &error_));
  EXPECT_EQ(atr_.Values(), (std::vector<int>{0, 0, 1, 0, 1}));
  atr_.SetGroupCount(3);
  EXPECT_EQ(atr_.Values().size(), 5u);
  atr_.Toggle(0);
  ASSERT_TRUE(atr_.Save());
  EXPECT_EQ(test::ReadFileBytes(dir_.File("Tile.atr")), Text("1\r\n0\r\n1\r\n0\r\n1\r\n"));
  EXPECT_FALSE(atr_.Toggle(5));
}

TEST_F(TileAttributesTest, AFileInAnotherCaseIsReadAndWrittenBack) {
  test::WriteFileBytes(dir_.File("Tile.Atr"), Text("1\r\n"));
  ASSERT_TRUE(atr_.Load(dir_.Path(), &error_));
  EXPECT_TRUE(atr_.IsSet(0));
  atr_.Toggle(0);
  ASSERT_TRUE(atr_.Save());
  EXPECT_EQ(test::ReadFileBytes(dir_.File("Tile.Atr")), Text("0\r\n"));
  EXPECT_FALSE(test::FileExists(dir_.File("Tile.atr")));
}

TEST_F(TileAttributesTest, ErrorsAreReportedAndKeepTheFileWhole) {
  std::filesystem::create_directory(dir_.File("Tile.atr"));
  EXPECT_FALSE(atr_.Load(dir_.Path(), &error_));
  EXPECT_FALSE(error_.empty());

  TileAttributes other;
  test::TempDir dir2;
  test::WriteFileBytes(dir2.File("Tile.atr"), Text("1\r\n1\r\n"));
  ASSERT_TRUE(other.Load(dir2.Path(), &error_));
  std::filesystem::rename(dir2.File("Tile.atr"), dir2.File("moved"));
  std::filesystem::create_directory(dir2.File("Tile.atr"));  // the name now refuses a file
  EXPECT_FALSE(other.Save());

  // A file without end (here a device) is refused rather than read into all of memory.
  test::TempDir dir3;
  std::filesystem::create_symlink("/dev/zero", dir3.File("Tile.atr"));
  error_.clear();
  EXPECT_FALSE(atr_.Load(dir3.Path(), &error_));
  EXPECT_NE(error_.find("larger than"), std::string::npos) << error_;
  EXPECT_TRUE(atr_.Values().empty());
}

TEST(PickerRules, TilePicker) {
  EXPECT_EQ(pickers::TileRows(12), 3);  // rounded up: tiles 10 and 11 get a row
  EXPECT_EQ(pickers::TileSelection(2, 0, 12), 10);
  EXPECT_EQ(pickers::TileSelection(2, 1, 12), 11);
  EXPECT_EQ(pickers::TileSelection(2, 4, 15), 14);
  EXPECT_EQ(pickers::TileSelection(2, 4, 14), -1);
  EXPECT_EQ(pickers::TileRows(0), 1);
}

TEST(PickerRules, GroupsAndObjects) {
  EXPECT_EQ(pickers::SmallTileGroups(600), 10);
  EXPECT_EQ(pickers::BigTileGroups(120), 3);
  EXPECT_EQ(pickers::ObjectSelection(7, 2, 100), 131077);
  EXPECT_EQ(pickers::ObjectSelection(0, 3, 0), -1);
  EXPECT_EQ(pickers::ObjectColumns(0), 1);
  EXPECT_EQ(pickers::ObjectColumns(70000), 65535);
}

}  // namespace
}  // namespace hl

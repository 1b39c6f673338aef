#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "objects/ObjectSets.h"

namespace hl {
namespace {

TEST(SetNumbers, OldLayoutConversionAndItsLimits) {
  EXPECT_EQ(ParseSetNumber("20005", 0, false), 131075);
  EXPECT_EQ(ParseSetNumber("-1", 0, false), -1);
  EXPECT_EQ(ParseSetNumber("-10001", 0, false), -65536);
  EXPECT_EQ(ParseSetNumber("9999", 0, false), 9999);
  // 2147483647 = 214748 x 10000 + 3647: 214748 x 65535 + 3647 wraps in 32 bits.
  EXPECT_EQ(ParseSetNumber("2147483647", 0, false),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(214748LL * 65535 + 3647)));
  EXPECT_EQ(ParseSetNumber("-2147483648", 0, false),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(-214748LL * 65535 - 3648)));
  EXPECT_EQ(ParseSetNumber("20005", 0, true), 20005);
  EXPECT_EQ(ParseSetNumber("x5", 7, true), 7);
  EXPECT_EQ(ParseSetNumber("", 7, true), 7);
  EXPECT_EQ(ParseSetNumber("5x", 7, true), 7);
}

TEST(SetFile, RecordLinesInFileOrder) {
  TSetCell c{1, -2, -1, 65540, 0, 0, 0, 0, 0, 0, 2};
  EXPECT_EQ(SetRecordLine(c), "1 -2 -1 65540 2 0 0 f 0 0 0 ");
}

TEST(SetFile, HeadersRecordsAndTheLostLastEmptySet) {
  const auto sets = ObjectSetList::Parse(
      "junk before any header\r\nNEW\r\n[0]\r\n  1 2 3 4 1 5 6 T 7 133 9 \r\n[1]\r\n[5]\r\n0 0 -1 "
      "-1 "
      "0 0 0 f 0 0 0 \r\n[6]\r\n");
  ASSERT_EQ(sets.size(), 3u);  // [0], the empty [1], [5]; the last, empty one is lost
  EXPECT_EQ(sets[0][0], (TSetCell{1, 2, 3, 4, 5, 6, 1, 7, 133, 9, 1}));
  EXPECT_TRUE(sets[1].empty());
  EXPECT_EQ(sets[2][0].TileIndex, -1);
}

TEST(SetFile, LateNewLineAndBadFields) {
  const auto sets =
      ObjectSetList::Parse("[0]\n0 0 0 20005 0 0 0 f 0 0 0\nNEW\n0 0 0 20005 a 1 b t\n");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0][0].ObjIndex, 131075);  // before NEW: converted
  EXPECT_EQ(sets[0][1].ObjIndex, 20005);
  EXPECT_EQ(sets[0][1].Marks, 0);  // a letter gives 0
  EXPECT_EQ(sets[0][1].AniTick, 0);
  EXPECT_EQ(sets[0][1].Alpha, 1);
  EXPECT_EQ(sets[0][1].Light, 0);  // missing fields give 0
}

TEST(SetFile, HugeLinesGiveEmptyRecords) {
  const std::string line(30000, '7');
  const auto sets = ObjectSetList::Parse("NEW\n[0]\n" + line + "\n");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0][0], TSetCell{});
}

class SetListTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  ObjectSetList list_;
  std::string error_;
};

TEST_F(SetListTest, RoundTripWithGapsForSlots) {
  list_.Items = {TObjectSet{{-3, 4, 120, 131077, 0x83, 200, 1, 4, 0x85, 255, 3}}, std::nullopt,
                 TObjectSet{}, TObjectSet{{0, 0, -1, -1, 0, 0, 0, 0, 0, 0, 0}}};
  ASSERT_TRUE(list_.SaveSets(dir_.File("a.set")));
  const auto text = test::ReadFileBytes(dir_.File("a.set"));
  EXPECT_EQ(std::string(text.begin(), text.end()),
            "NEW\r\n[0]\r\n-3 4 120 131077 3 131 200 t 4 133 255 \r\n[2]\r\n[3]\r\n0 0 -1 -1 0 0 0 "
            "f 0 0 0 \r\n");
  ObjectSetList read;
  ASSERT_TRUE(read.LoadSets(dir_.File("a.set"), &error_));
  ASSERT_EQ(read.Items.size(), 3u);  // the slot is gone
  EXPECT_EQ(*read.Items[0], *list_.Items[0]);
  EXPECT_TRUE(read.Items[1]->empty());
  EXPECT_EQ(*read.Items[2], *list_.Items[3]);
}

TEST_F(SetListTest, MissingOrUnreadableFilesKeepTheList) {
  list_.Items = {TObjectSet{{1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}}};
  int notices = 0;
  list_.SetChangeHandler([&] { ++notices; });
  EXPECT_TRUE(list_.LoadSets(dir_.File("none.set"), &error_));
  std::filesystem::create_directory(dir_.File("dir.set"));
  EXPECT_FALSE(list_.LoadSets(dir_.File("dir.set"), &error_));
  EXPECT_FALSE(error_.empty());
  EXPECT_EQ(list_.Items.size(), 1u);
  EXPECT_EQ(notices, 0);
  EXPECT_FALSE(list_.SaveSets(dir_.File("no/such/dir.set")));

  // A name that leads to a device without end is refused, not read until memory runs out.
  std::filesystem::create_symlink("/dev/zero", dir_.File("endless.set"));
  EXPECT_FALSE(list_.LoadSets(dir_.File("endless.set"), &error_));
  EXPECT_NE(error_.find("larger than"), std::string::npos) << error_;
  EXPECT_EQ(list_.Items.size(), 1u);
  EXPECT_EQ(notices, 0);
}

TEST_F(SetListTest, SlotsInsertAndDeleteAroundSets) {
  const TObjectSet a{{0, 0, 1, -1, 0, 0, 0, 0, 0, 0, 0}}, b{{1, 1, -1, 2, 0, 0, 0, 0, 0, 0, 0}};
  list_.Items = {a, b};
  list_.InsertEmptySlot(0);
  ASSERT_EQ(list_.Items.size(), 3u);
  EXPECT_EQ(list_.GetSet(0), nullptr);
  EXPECT_EQ(*list_.GetSet(1), a);
  list_.DeleteSet(1, false);  // a set stays without Ctrl
  EXPECT_EQ(list_.Items.size(), 3u);
  list_.DeleteSet(0, false);  // the slot goes
  ASSERT_EQ(list_.Items.size(), 2u);
  EXPECT_EQ(*list_.GetSet(0), a);
  list_.DeleteSet(1, true);
  ASSERT_EQ(list_.Items.size(), 1u);
  list_.DeleteSet(1, true);  // the blank last row: nothing
  list_.InsertEmptySlot(1);  // appended
  EXPECT_EQ(list_.Items.size(), 2u);
  EXPECT_EQ(list_.GetSet(-1), nullptr);
  EXPECT_EQ(list_.GetSet(2), nullptr);
}

TEST_F(SetListTest, CopiesStayIndependentAndEditsReplaceOrAppend) {
  const TObjectSet a{{0, 0, 1, 7, 0, 0, 0, 0, 0, 0, 0}};
  list_.Items = {a};
  list_.PasteSet(0);  // empty clipboard: nothing
  EXPECT_EQ(list_.Items.size(), 1u);
  list_.CopySet(0);
  list_.PasteSet(1);  // on the blank last row: appended
  ASSERT_EQ(list_.Items.size(), 2u);
  list_.ReplaceSet(1, TObjectSet{});  // the editor confirmed an empty result
  EXPECT_EQ(*list_.GetSet(0), a);
  EXPECT_TRUE(list_.GetSet(1)->empty());
  list_.ReplaceSet(5, a);  // past the items: appended
  EXPECT_EQ(list_.Items.size(), 3u);
  list_.CopySet(7);  // past the items: the clipboard stays
  EXPECT_EQ(list_.SetClipboard, a);
  list_.InsertEmptySlot(0);
  list_.CopySet(0);  // a slot empties it
  EXPECT_TRUE(list_.SetClipboard.empty());
}

TEST_F(SetListTest, ChangesAreRememberedUntilSavedOrLoaded) {
  EXPECT_FALSE(list_.Changed());
  list_.ReplaceSet(0, TObjectSet{{0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}});
  EXPECT_TRUE(list_.Changed());
  EXPECT_FALSE(list_.SaveSets(dir_.File("no/such/dir.set")));
  EXPECT_TRUE(list_.Changed());  // a failed save keeps the question
  ASSERT_TRUE(list_.SaveSets(dir_.File("a.set")));
  EXPECT_FALSE(list_.Changed());
  list_.CopySet(0);  // the clipboard is not the list
  EXPECT_FALSE(list_.Changed());
  list_.DeleteSet(0, false);
  EXPECT_FALSE(list_.Changed());
  list_.PasteSet(0);
  EXPECT_TRUE(list_.Changed());
  ASSERT_TRUE(list_.LoadSets(dir_.File("a.set"), &error_));
  EXPECT_FALSE(list_.Changed());
  EXPECT_EQ(list_.Items.size(), 1u);
}


}  // namespace
}  // namespace hl

namespace hl {
namespace {

TEST(SetFileSize, TheLargestAcceptedFileIsReadAndOneByteMoreIsRefused) {
  test::TempDir dir;
  // One set of two records, padded with blanks to the limit.
  std::string text = "NEW\r\n[0]\r\n1 2 3 4 0 0 0 f 0 0 0 \r\n5 6 7 8 0 0 0 f 0 0 0 \r\n";
  text.resize(ObjectSetList::kMaxFileBytes, ' ');
  test::WriteFileBytes(dir.File("full.set"), {text.begin(), text.end()});
  text += ' ';
  test::WriteFileBytes(dir.File("over.set"), {text.begin(), text.end()});

  ObjectSetList list;
  std::string error;
  ASSERT_TRUE(list.LoadSets(dir.File("full.set"), &error)) << error;
  ASSERT_EQ(list.Items.size(), 1u);
  EXPECT_EQ(list.Items[0]->size(), 2u);
  EXPECT_EQ((*list.Items[0])[1].TileIndex, 7);
  EXPECT_EQ(list.Items[0]->capacity(), 2u);  // lists take what they hold, no growth slack
  EXPECT_FALSE(list.LoadSets(dir.File("over.set"), &error));
  EXPECT_NE(error.find("larger than"), std::string::npos) << error;
  EXPECT_EQ(list.Items.size(), 1u);
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <string>

#include "util/Rounding.h"
#include "util/TextHelpers.h"

namespace hl {
namespace {

TEST(StrToIntDefault, AcceptsWholeSignedDecimalNumbers) {
  EXPECT_EQ(StrToIntDefault("0", -7), 0);
  EXPECT_EQ(StrToIntDefault("42", -7), 42);
  EXPECT_EQ(StrToIntDefault("+42", -7), 42);
  EXPECT_EQ(StrToIntDefault("-42", -7), -42);
  EXPECT_EQ(StrToIntDefault("007", -7), 7);
  EXPECT_EQ(StrToIntDefault("2147483647", -7), 2147483647);
  EXPECT_EQ(StrToIntDefault("-2147483648", -7), -2147483647 - 1);
}

TEST(StrToIntDefault, FallsBackForAnythingElse) {
  for (const char* text : {"", " 1", "1 ", "a1", "1a", "+", "-", "+-1", "--1", "1.5", "1e3", "0x10",
                           "$10", "2147483648", "-2147483649", "99999999999999999999"}) {
    EXPECT_EQ(StrToIntDefault(text, -7), -7) << '"' << text << '"';
  }
}

TEST(FileNameOnly, StripsDirectoryAtEverySeparator) {
  EXPECT_EQ(FileNameOnly("/home/map/town.map"), "town");
  EXPECT_EQ(FileNameOnly("C:\\maps\\town.map"), "town");
  EXPECT_EQ(FileNameOnly("C:town.map"), "town");
  EXPECT_EQ(FileNameOnly("maps/sub\\town.map"), "town");
  EXPECT_EQ(FileNameOnly("town.map"), "town");
}

TEST(FileNameOnly, CutsAtFirstOccurrenceOfTheExtension) {
  EXPECT_EQ(FileNameOnly("a.map.map"), "a");
  EXPECT_EQ(FileNameOnly("a.b.c"), "a.b");
  EXPECT_EQ(FileNameOnly("dir/file."), "file");
  EXPECT_EQ(FileNameOnly(".hidden"), "");
}

TEST(FileNameOnly, ExtensionSearchIsCaseSensitive) {
  EXPECT_EQ(FileNameOnly("x.MAP.map"), "x.MAP");
  EXPECT_EQ(FileNameOnly("Tiles.WIX"), "Tiles");
}

TEST(FileNameOnly, WithoutExtensionKeepsWholeName) {
  EXPECT_EQ(FileNameOnly("dir.d/noext"), "noext");
  EXPECT_EQ(FileNameOnly("Objects2"), "Objects2");
  EXPECT_EQ(FileNameOnly("dir/"), "");
}

TEST(NextToken, SkipsLeadingDividersAndConsumesOneAfter) {
  auto [token, rest] = NextToken("  ab  cd", " ");
  EXPECT_EQ(token, "ab");
  EXPECT_EQ(rest, " cd");
  auto second = NextToken(rest, " ");
  EXPECT_EQ(second.Token, "cd");
  EXPECT_EQ(second.Rest, "");
}

TEST(NextToken, HandlesSeveralDividersAndEmptyInput) {
  auto t = NextToken(",;x;y", ",;");
  EXPECT_EQ(t.Token, "x");
  EXPECT_EQ(t.Rest, "y");
  EXPECT_EQ(NextToken("", " ").Token, "");
  auto onlyDividers = NextToken("   ", " ");
  EXPECT_EQ(onlyDividers.Token, "");
  EXPECT_EQ(onlyDividers.Rest, "");
}

TEST(NextToken, TextsAtTheLengthLimitGiveNothing) {
  const std::string below(kNextTokenTextLimit - 1, 'a');
  EXPECT_EQ(NextToken(below, " ").Token.size(), below.size());
  const std::string at = "a " + std::string(kNextTokenTextLimit - 2, 'b');
  auto t = NextToken(at, " ");
  EXPECT_EQ(t.Token, "");
  EXPECT_EQ(t.Rest, "");
}

TEST(Rounding, RoundsHalvesToEven) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.4999), 2);
  EXPECT_EQ(Round(2.5001), 3);
  EXPECT_EQ(Round(48 * 0.05), 2);  // 2.4000000000000004
  EXPECT_EQ(Round(32 * 0.75), 24);
}

TEST(Rounding, TruncDropsTheFractionTowardsZero) {
  EXPECT_EQ(Trunc(2.99), 2);
  EXPECT_EQ(Trunc(-2.99), -2);
  EXPECT_EQ(Trunc(100 / 48.0 / 0.1), 20);
}

TEST(Rounding, OutOfRangeValuesAreClampedNotUndefined) {
  EXPECT_EQ(Round(1e300), 2147483647);
  EXPECT_EQ(Trunc(-1e300), -2147483647 - 1);
  EXPECT_EQ(Round(std::nan("")), 0);
}

}  // namespace
}  // namespace hl

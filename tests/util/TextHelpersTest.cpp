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

TEST(ParseInt, TellsANumberFromAnythingElse) {
  EXPECT_EQ(ParseInt("-7"), -7);
  EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseInt("+0"), 0);
  // What StrToIntDefault falls back for is nothing here, a typed default included.
  for (const char* text : {"", " 1", "abc", "2147483648", "1e3"}) {
    EXPECT_EQ(ParseInt(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(NumberField, TakesWholeNumbersInItsRangeAsTyped) {
  const NumberField light{"The light value", 0, 255, std::nullopt};
  EXPECT_EQ(light.Read("0"), 0);
  EXPECT_EQ(light.Read("255"), 255);
  EXPECT_EQ(light.Read("  +7\t"), 7);  // spaces around a number are no reason to refuse it
  EXPECT_EQ(light.Problem("7"), "");
  for (const char* text : {"-1", "256", "abc", "", "   ", "1 2", "0x10", "99999999999"}) {
    EXPECT_EQ(light.Read(text), std::nullopt) << '"' << text << '"';
  }
  EXPECT_EQ(light.Problem("-1"),
            "The light value must be a whole number from 0 to 255, not \"-1\".");
  EXPECT_EQ(light.Problem(" "), "The light value must be a whole number from 0 to 255.");
}

TEST(NumberField, AnEmptyBoxCanStandForANumber) {
  const NumberField shift{"Cords X", -1000, 1000, 0};
  EXPECT_EQ(shift.Read(""), 0);
  EXPECT_EQ(shift.Read("  "), 0);
  EXPECT_EQ(shift.Read("-1000"), -1000);
  EXPECT_EQ(shift.Read("-1001"), std::nullopt);
  EXPECT_EQ(shift.Problem(""), "");
}

TEST(NumberField, ALongTextIsQuotedShortWithoutSplittingACharacter) {
  const NumberField size{"X", 1, 999, std::nullopt};
  EXPECT_EQ(size.Problem(std::string(100, '9')),
            "X must be a whole number from 1 to 999, not \"" + std::string(24, '9') + "...\".");
  // 23 letters, then a two-byte character across the cut: it is left out whole.
  const std::string text = std::string(23, 'a') + "\xC3\xA9" + "bbbb";
  EXPECT_EQ(size.Problem(text),
            "X must be a whole number from 1 to 999, not \"" + std::string(23, 'a') + "...\".");
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

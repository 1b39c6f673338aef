#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "util/FileLookup.h"

namespace hl {
namespace {

using test::TempDir;
using test::WriteFileBytes;

// Every spelling of `name` in upper and lower case letters.
std::vector<std::string> CaseVariants(const std::string& name) {
  std::vector<std::string> variants{""};
  for (char c : name) {
    std::vector<std::string> next;
    for (const auto& v : variants) {
      const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      next.push_back(v + lower);
      if (upper != lower) next.push_back(v + upper);
    }
    variants = std::move(next);
  }
  return variants;
}

class FileLookupTest : public ::testing::Test {
 protected:
  void Create(const std::string& name) { WriteFileBytes(dir_.File(name), {1, 2, 3}); }
  std::optional<std::string> Find(const std::string& name) {
    return FindFileIgnoringCase(dir_.File(name));
  }

  TempDir dir_;
};

TEST_F(FileLookupTest, ExactNameWinsOverOtherCases) {
  for (const auto& v : CaseVariants("tiles.wil")) Create(v);
  EXPECT_EQ(Find("tIlEs.WiL"), dir_.File("tIlEs.WiL"));
  EXPECT_EQ(Find("tiles.wil"), dir_.File("tiles.wil"));
}

TEST_F(FileLookupTest, OfSeveralCaseVariantsTheSmallestByByteOrderIsTaken) {
  // 63 spellings, so that the one the folder happens to list first is rarely the smallest.
  std::vector<std::string> variants = CaseVariants("objects");
  const std::string wanted = "oBjEcTs";
  std::erase(variants, wanted);
  for (const auto& v : variants) Create(v);
  EXPECT_EQ(Find(wanted), dir_.File("OBJECTS"));

  // Taking the smallest away gives the next one, whatever the listing order became.
  std::filesystem::remove(dir_.File("OBJECTS"));
  EXPECT_EQ(Find(wanted), dir_.File("OBJECTs"));
}

TEST_F(FileLookupTest, OnlyLetterCaseMayDiffer) {
  Create("Tiles.wil2");
  Create("Tile.wil");
  Create("Tiles_wil");
  EXPECT_EQ(Find("tiles.wil"), std::nullopt);
  Create("TILES.WIL");
  EXPECT_EQ(Find("tiles.wil"), dir_.File("TILES.WIL"));
  EXPECT_EQ(FindFileIgnoringCase(dir_.File("no/tiles.wil")), std::nullopt);
}

}  // namespace
}  // namespace hl

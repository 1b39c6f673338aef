#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "cli/RunHlmap.h"

namespace hl {
namespace {

TEST(HlmapSets, PrintsAndSaves) {
  test::TempDir dir_;
  const std::string old = "[0]\r\n1 0 -1 20005 0 0 0 f 2 0 0 \r\n";
  test::WriteFileBytes(dir_.File("old.set"), std::vector<std::uint8_t>(old.begin(), old.end()));
  const auto r = test::Hlmap({"sets", dir_.File("old.set"), "--save", dir_.File("new.set")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "{\"sets\":[[{\"X\":1,\"Y\":0,\"TileIndex\":-1,\"ObjIndex\":131075,\"AniFrame\":0,"
            "\"AniTick\":0,\"Alpha\":0,\"Light\":2,\"Door\":0,\"DoorOffset\":0,\"Marks\":0}]]}\n");
  const auto saved = test::ReadFileBytes(dir_.File("new.set"));
  EXPECT_EQ(std::string(saved.begin(), saved.end()),
            "NEW\r\n[0]\r\n1 0 -1 131075 0 0 0 f 2 0 0 \r\n");
  EXPECT_EQ(test::Hlmap({"sets", dir_.File("missing.set")}).Code, 1);
}
}  // namespace
}  // namespace hl

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "util/FileReader.h"

namespace hl {
namespace {

using test::TempDir;
using test::WriteFileBytes;

std::vector<std::uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

class FileReaderTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(FileReaderTest, RefusesMissingFilesAndDirectories) {
  FileReader r;
  EXPECT_FALSE(r.Open(dir_.File("missing")));
  EXPECT_FALSE(r.Open(dir_.Path()));
  EXPECT_FALSE(r.IsOpen());
}

TEST_F(FileReaderTest, DoesNotHangOnFifoWithoutWriter) {
  const std::string fifo = dir_.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  FileReader r;
  ASSERT_TRUE(r.Open(fifo));
  std::uint8_t buf[16];
  EXPECT_EQ(r.Read(buf), 0u);
  EXPECT_FALSE(r.Failed());
}

TEST_F(FileReaderTest, ScatterReadFillsPiecesInOrderAndStopsAtEnd) {
  WriteFileBytes(dir_.File("f"), Bytes("0123456789"));
  FileReader r;
  ASSERT_TRUE(r.Open(dir_.File("f")));
  EXPECT_EQ(r.Size(), 10u);
  std::vector<std::uint8_t> a(4, '#'), b(4, '#'), c(4, '#');
  std::span<std::uint8_t> pieces[] = {a, b, c};
  EXPECT_EQ(r.ReadScatter(pieces), 10u);
  EXPECT_EQ(a, Bytes("0123"));
  EXPECT_EQ(b, Bytes("4567"));
  EXPECT_EQ(c, Bytes("89##"));
  EXPECT_FALSE(r.Failed());
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "util/BinaryFile.h"

namespace hl {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::vector<std::uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

class BinaryFileTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(BinaryFileTest, ReaderRefusesMissingFilesAndDirectories) {
  FileReader r;
  EXPECT_FALSE(r.Open(dir_.File("missing")));
  EXPECT_FALSE(r.Open(dir_.Path()));
  EXPECT_FALSE(r.IsOpen());
}

TEST_F(BinaryFileTest, ReaderDoesNotHangOnFifoWithoutWriter) {
  const std::string fifo = dir_.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  FileReader r;
  ASSERT_TRUE(r.Open(fifo));
  std::uint8_t buf[16];
  EXPECT_EQ(r.Read(buf), 0u);
  EXPECT_FALSE(r.Failed());
}

TEST_F(BinaryFileTest, ScatterReadFillsPiecesInOrderAndStopsAtEnd) {
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

TEST_F(BinaryFileTest, WriterCreatesFileAndLeavesNoTemporaryBehind) {
  SafeFileWriter w;
  ASSERT_TRUE(w.Open(dir_.File("new"), SafeFileWriter::OldTail::Keep));
  ASSERT_TRUE(w.Write(Bytes("hello")));
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(ReadFileBytes(dir_.File("new")), Bytes("hello"));
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"new"});
}

TEST_F(BinaryFileTest, OverwriteKeepsOrDropsTheOldTail) {
  WriteFileBytes(dir_.File("keep"), Bytes("0123456789"));
  WriteFileBytes(dir_.File("drop"), Bytes("0123456789"));
  for (auto [name, tail] : {std::pair{"keep", SafeFileWriter::OldTail::Keep},
                            std::pair{"drop", SafeFileWriter::OldTail::Drop}}) {
    SafeFileWriter w;
    ASSERT_TRUE(w.Open(dir_.File(name), tail));
    ASSERT_TRUE(w.Write(Bytes("abc")));
    ASSERT_TRUE(w.Commit());
  }
  EXPECT_EQ(ReadFileBytes(dir_.File("keep")), Bytes("abc3456789"));
  EXPECT_EQ(ReadFileBytes(dir_.File("drop")), Bytes("abc"));
}

TEST_F(BinaryFileTest, AbandonedWriteLeavesTheOldFile) {
  WriteFileBytes(dir_.File("f"), Bytes("old"));
  {
    SafeFileWriter w;
    ASSERT_TRUE(w.Open(dir_.File("f"), SafeFileWriter::OldTail::Keep));
    ASSERT_TRUE(w.Write(Bytes("new content")));
  }
  EXPECT_EQ(ReadFileBytes(dir_.File("f")), Bytes("old"));
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"f"});
}

TEST_F(BinaryFileTest, FullDiskFailsTheWriteAndKeepsTheOldFile) {
  const std::vector<std::uint8_t> old(1000, 'o');
  WriteFileBytes(dir_.File("f"), old);
  const std::vector<std::uint8_t> big(100000, 'n');
  {
    test::FileSizeLimit limit(4096);
    SafeFileWriter w;
    ASSERT_TRUE(w.Open(dir_.File("f"), SafeFileWriter::OldTail::Keep));
    EXPECT_FALSE(w.Write(big));
    EXPECT_TRUE(w.Failed());
    EXPECT_FALSE(w.Commit());
  }
  EXPECT_EQ(ReadFileBytes(dir_.File("f")), old);
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"f"});
}

TEST_F(BinaryFileTest, DeviceIsWrittenInPlaceAndFailuresReported) {
  SafeFileWriter w;
  ASSERT_TRUE(w.Open("/dev/full", SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Write(std::vector<std::uint8_t>(1000, 1)));
  EXPECT_FALSE(w.Commit());
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(BinaryFileTest, MissingFolderOrFolderTargetRefused) {
  SafeFileWriter w;
  EXPECT_FALSE(w.Open(dir_.File("no/such/file"), SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Open(dir_.Path(), SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Open("", SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Write(Bytes("x")));
  EXPECT_FALSE(w.Commit());
}

TEST_F(BinaryFileTest, ReplacingKeepsPermissionsAndSymlinks) {
  WriteFileBytes(dir_.File("target"), Bytes("old"));
  ASSERT_EQ(::chmod(dir_.File("target").c_str(), 0640), 0);
  std::filesystem::create_symlink("target", dir_.File("link"));
  SafeFileWriter w;
  ASSERT_TRUE(w.Open(dir_.File("link"), SafeFileWriter::OldTail::Drop));
  ASSERT_TRUE(w.Write(Bytes("new")));
  ASSERT_TRUE(w.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("link")));
  EXPECT_EQ(ReadFileBytes(dir_.File("target")), Bytes("new"));
  struct stat st {};
  ASSERT_EQ(::stat(dir_.File("target").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "util/SafeFileWriter.h"

namespace hl {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::vector<std::uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

class SafeFileWriterTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(SafeFileWriterTest, CreatesFileAndLeavesNoTemporaryBehind) {
  SafeFileWriter w;
  ASSERT_TRUE(w.Open(dir_.File("new"), SafeFileWriter::OldTail::Keep));
  ASSERT_TRUE(w.Write(Bytes("hello")));
  ASSERT_TRUE(w.Commit());
  EXPECT_EQ(ReadFileBytes(dir_.File("new")), Bytes("hello"));
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"new"});
}

TEST_F(SafeFileWriterTest, OverwriteKeepsOrDropsTheOldTail) {
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

TEST_F(SafeFileWriterTest, AbandonedWriteLeavesTheOldFile) {
  WriteFileBytes(dir_.File("f"), Bytes("old"));
  {
    SafeFileWriter w;
    ASSERT_TRUE(w.Open(dir_.File("f"), SafeFileWriter::OldTail::Keep));
    ASSERT_TRUE(w.Write(Bytes("new content")));
  }
  EXPECT_EQ(ReadFileBytes(dir_.File("f")), Bytes("old"));
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"f"});
}

TEST_F(SafeFileWriterTest, FullDiskFailsTheWriteAndKeepsTheOldFile) {
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

TEST_F(SafeFileWriterTest, DeviceIsWrittenInPlaceAndFailuresReported) {
  SafeFileWriter w;
  ASSERT_TRUE(w.Open("/dev/full", SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Write(std::vector<std::uint8_t>(1000, 1)));
  EXPECT_FALSE(w.Commit());
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(SafeFileWriterTest, MissingFolderOrFolderTargetRefused) {
  SafeFileWriter w;
  EXPECT_FALSE(w.Open(dir_.File("no/such/file"), SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Open(dir_.Path(), SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Open("", SafeFileWriter::OldTail::Keep));
  EXPECT_FALSE(w.Write(Bytes("x")));
  EXPECT_FALSE(w.Commit());
}

TEST_F(SafeFileWriterTest, ReplacingKeepsPermissionsAndSymlinks) {
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

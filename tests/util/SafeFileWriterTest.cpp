#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "PlantedFault.h"
#include "TempDir.h"
#include "util/SafeFileWriter.h"
#include "util/WriteFault.h"

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

TEST_F(SafeFileWriterTest, PipeAndCharacterDeviceWrittenInPlaceNeedNoSync) {
  // Neither can be synced (fsync says EINVAL); what was written to them is already gone
  // where it goes, so the write counts as done.
  SafeFileWriter null;
  ASSERT_TRUE(null.Open("/dev/null", SafeFileWriter::OldTail::Keep));
  ASSERT_TRUE(null.Write(Bytes("nothing")));
  EXPECT_TRUE(null.Commit());

  const std::string fifo = dir_.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  SafeFileWriter pipe;
  ASSERT_TRUE(pipe.Open(fifo, SafeFileWriter::OldTail::Keep));
  ASSERT_TRUE(pipe.Write(Bytes("through")));
  EXPECT_TRUE(pipe.Commit());
  char got[16] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 7);
  EXPECT_EQ(std::string(got), "through");
  ::close(reader);
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"fifo"});
}

TEST_F(SafeFileWriterTest, FailedSyncOfTheDataKeepsTheOldFileAndNoTemporary) {
  WriteFileBytes(dir_.File("f"), Bytes("old content"));
  {
    test::PlantedFault fault({WriteFault::At::Sync, 0});
    SafeFileWriter old;
    ASSERT_TRUE(old.Open(dir_.File("f"), SafeFileWriter::OldTail::Drop));
    ASSERT_TRUE(old.Write(Bytes("new")));
    EXPECT_FALSE(old.Commit());
    EXPECT_TRUE(old.Failed());
    // A file that did not exist is not created either.
    SafeFileWriter fresh;
    ASSERT_TRUE(fresh.Open(dir_.File("g"), SafeFileWriter::OldTail::Drop));
    ASSERT_TRUE(fresh.Write(Bytes("new")));
    EXPECT_FALSE(fresh.Commit());
  }
  EXPECT_EQ(ReadFileBytes(dir_.File("f")), Bytes("old content"));
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"f"});
}

TEST_F(SafeFileWriterTest, FailedSyncOfTheFolderIsAFailureWithTheNewContentInPlace) {
  WriteFileBytes(dir_.File("f"), Bytes("old content"));
  test::PlantedFault fault({WriteFault::At::Sync, 1});
  SafeFileWriter w;
  ASSERT_TRUE(w.Open(dir_.File("f"), SafeFileWriter::OldTail::Keep));
  ASSERT_TRUE(w.Write(Bytes("new")));
  ASSERT_TRUE(w.Finish());
  EXPECT_FALSE(w.Replace());
  EXPECT_TRUE(w.Failed());
  EXPECT_EQ(ReadFileBytes(dir_.File("f")), Bytes("new content"));
  EXPECT_EQ(test::ListDirectory(dir_.Path()), std::vector<std::string>{"f"});
}

// A group of files in two folders: each file's data is synced before any rename, each folder
// once after all of them.
class GroupSyncTest : public SafeFileWriterTest {
 protected:
  GroupSyncTest() {
    std::filesystem::create_directory(dir_.File("a"));
    std::filesystem::create_directory(dir_.File("b"));
    for (const auto& f : files_) WriteFileBytes(dir_.File(f), Bytes("old " + f));
  }

  // Writes "new <name>" into every file of the group and replaces them together.
  bool SaveGroup(std::size_t* failed) {
    SafeFileWriter writers[4];
    std::vector<SafeFileWriter*> finished;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (!writers[i].Open(dir_.File(files_[i]), SafeFileWriter::OldTail::Drop) ||
          !writers[i].Write(Bytes("new " + files_[i])) || !writers[i].Finish()) {
        return false;
      }
      finished.push_back(&writers[i]);
    }
    return ReplaceTogether(finished, failed);
  }

  void ExpectAll(const std::string& prefix, std::uint64_t at) {
    for (const auto& f : files_) EXPECT_EQ(ReadFileBytes(dir_.File(f)), Bytes(prefix + f)) << at;
    EXPECT_EQ(test::ListDirectory(dir_.File("a")).size(), 3u) << at;
    EXPECT_EQ(test::ListDirectory(dir_.File("b")).size(), 1u) << at;
  }

  const std::vector<std::string> files_{"a/1", "b/1", "a/2", "a/3"};
};

TEST_F(GroupSyncTest, FailingDataSyncKeepsEveryOldFile) {
  for (std::uint64_t at = 0; at < files_.size(); ++at) {
    test::PlantedFault fault({WriteFault::At::Sync, at});
    std::size_t failed = 99;
    EXPECT_FALSE(SaveGroup(&failed)) << at;
    ExpectAll("old ", at);
  }
}

TEST_F(GroupSyncTest, FailingFolderSyncLeavesTheNewFilesAndNamesTheFolder) {
  // Folder a comes first (its first writer is 0), then b (writer 1).
  for (std::uint64_t at : {std::uint64_t{4}, std::uint64_t{5}}) {
    for (const auto& f : files_) WriteFileBytes(dir_.File(f), Bytes("old " + f));
    test::PlantedFault fault({WriteFault::At::Sync, at});
    std::size_t failed = 99;
    EXPECT_FALSE(SaveGroup(&failed)) << at;
    EXPECT_EQ(failed, at - 4);
    ExpectAll("new ", at);
  }
}

TEST_F(GroupSyncTest, SyncsEachFileAndEachFolderOnce) {
  // Six syncs in all (four files, two folders): with six allowed the group goes through.
  test::PlantedFault fault({WriteFault::At::Sync, 6});
  ASSERT_TRUE(SaveGroup(nullptr));
  ExpectAll("new ", 6);
  EXPECT_FALSE(SaveGroup(nullptr));  // the planted count is used up exactly
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

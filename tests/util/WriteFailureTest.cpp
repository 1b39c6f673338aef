#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "PlantedFault.h"
#include "ReadOnlyFolder.h"
#include "TempDir.h"
#include "util/WriteWholeFile.h"

namespace hl {
namespace {

using test::TempDir;

std::vector<std::uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

class WriteFailureTest : public ::testing::Test {
 protected:
  static SaveResult Write(const std::string& path, const std::string& text = "new\n") {
    return WriteWholeFile(path, text, SafeFileWriter::OldTail::Drop);
  }
  static std::string CannotWrite(const std::string& path, const std::string& reason) {
    return "cannot write '" + path + "': " + reason;
  }
  TempDir dir_;
};

TEST_F(WriteFailureTest, WrittenFilesCarryNoMessage) {
  const SaveResult written = Write(dir_.File("a.txt"));
  EXPECT_TRUE(written);
  EXPECT_EQ(written.Message(), "");
  EXPECT_EQ(test::ReadFileBytes(dir_.File("a.txt")), Bytes("new\n"));
}

TEST_F(WriteFailureTest, WhatStandsInTheWayIsNamed) {
  const std::string missing = dir_.File("none/a.txt");
  EXPECT_EQ(Write(missing).Message(),
            CannotWrite(missing, "the folder '" + dir_.File("none") + "' does not exist"));

  test::WriteFileBytes(dir_.File("plain"), Bytes("x"));
  const std::string underFile = dir_.File("plain/a.txt");
  EXPECT_EQ(Write(underFile).Message(),
            CannotWrite(underFile, "'" + dir_.File("plain") + "' is not a folder"));

  std::filesystem::create_directory(dir_.File("box.txt"));
  EXPECT_EQ(Write(dir_.File("box.txt")).Message(),
            CannotWrite(dir_.File("box.txt"), "it is a folder"));

  test::WriteFileBytes(dir_.File("kept.txt"), Bytes("old"));
  ASSERT_EQ(::chmod(dir_.File("kept.txt").c_str(), 0444), 0);
  EXPECT_EQ(Write(dir_.File("kept.txt")).Message(),
            CannotWrite(dir_.File("kept.txt"), "the file is read-only"));
  EXPECT_EQ(test::ReadFileBytes(dir_.File("kept.txt")), Bytes("old"));

  EXPECT_EQ(Write("").Message(), CannotWrite("", "no file name was given"));
}

TEST_F(WriteFailureTest, AReadOnlyFolderIsNamed) {
  test::ReadOnlyFolder folder(dir_.Path());
  if (!folder.Refuses()) GTEST_SKIP() << "root on a file system without the immutable flag";
  EXPECT_EQ(Write(dir_.File("a.txt")).Message(),
            CannotWrite(dir_.File("a.txt"), "the folder '" + dir_.Path() + "' is read-only"));
}

TEST_F(WriteFailureTest, FailuresWhileWritingGiveTheSystemsWords) {
  std::filesystem::create_symlink("/dev/full", dir_.File("full.txt"));
  EXPECT_EQ(Write(dir_.File("full.txt")).Message(),
            CannotWrite(dir_.File("full.txt"), "no space left on device"));

  {
    test::FileSizeLimit limit(100);
    EXPECT_EQ(Write(dir_.File("big.txt"), std::string(1000, 'x')).Message(),
              CannotWrite(dir_.File("big.txt"), "file too large"));
  }

  // Opening a new file looks for an old one first and finds none; a step that fails later
  // without a reason of its own must not be reported as a missing file.
  for (auto where : {WriteFault::At::Close, WriteFault::At::Rename}) {
    SaveResult result;
    {
      test::PlantedFault fault({where, 0});
      result = Write(dir_.File("new.txt"));
    }
    EXPECT_EQ(result.Message(),
              CannotWrite(dir_.File("new.txt"), "the file could not be completed"))
        << int(where);
    EXPECT_FALSE(test::FileExists(dir_.File("new.txt")));
  }
}

}  // namespace
}  // namespace hl

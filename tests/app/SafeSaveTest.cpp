#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "PlantedFault.h"
#include "ReadOnlyFolder.h"
#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/MainCommands.h"
#include "images/BmpFile.h"
#include "images/LibraryWriter.h"
#include "images/PngFile.h"
#include "map/MapFile.h"
#include "objects/ObjectSets.h"
#include "objects/SetCells.h"
#include "segments/SegmentProject.h"
#include "tools/TileAttributes.h"
#include "util/WriteFault.h"

namespace hl {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// What was on disk before a save: every file of the save with bytes of its own, longer than
// most of what the saves write so that kept tails show.
std::vector<std::uint8_t> OldBytes(const std::string& name) {
  std::vector<std::uint8_t> b(3000);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + name.size());
  return b;
}

void RandomCells(MapDocument& doc, int fromX, int fromY, int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  for (int x = fromX; x < fromX + w; ++x) {
    for (int y = fromY; y < fromY + h; ++y) {
      std::uint8_t bytes[sizeof(TMapCell)];
      for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
      TMapCell c;
      std::memcpy(&c, bytes, sizeof c);
      c.ObjectLib = static_cast<std::uint8_t>(rng() % 6);
      doc.SetCell(x, y, c);
    }
  }
}

LibraryImage Picture(int w, int h, int bytesPerPixel, unsigned seed) {
  LibraryImage image;
  image.Width = w;
  image.Height = h;
  image.Pixels.resize(static_cast<std::size_t>(w * h * bytesPerPixel));
  std::mt19937 rng(seed);
  for (auto& p : image.Pixels) p = static_cast<std::uint8_t>(rng() | 1);
  return image;
}

// One writer of the editor: the files it writes, by name in the folder, and how to save them.
struct Writer {
  std::string Name;
  std::vector<std::string> Files;
  std::function<SaveResult(const TempDir&)> Save;
};

class SafeSaveTest : public ::testing::Test {
 protected:
  SafeSaveTest() {
    doc_->SetMapSize(9, 7);
    RandomCells(*doc_, 0, 0, 9, 7, 1);
    RandomCells(*doc_, 40, 0, 40, 40, 2);
    sets_.Items.push_back(TObjectSet{test::Record(0, 0, 3, 70001), test::Record(1, -2, -1, 5)});
    sets_.Items.push_back(std::nullopt);
    sets_.Items.push_back(TObjectSet{test::Record(4, 4, 12, -1)});
    picture_ = QImage(37, 11, QImage::Format_RGB32);
    for (int y = 0; y < picture_.height(); ++y)
      for (int x = 0; x < picture_.width(); ++x) picture_.setPixel(x, y, qRgb(x * 6, y * 20, 99));
  }

  std::vector<Writer> Writers() {
    std::vector<Writer> w;
    w.push_back({"map", {"m.map"}, [this](const TempDir& d) {
                   return SaveMap(*doc_, d.File("m.map"), kBitCountData);
                 }});
    w.push_back({"segment", {"A100101.sem"}, [this](const TempDir& d) {
                   return SaveSegment(*doc_, d.File("A100101.sem"), 40, 0);
                 }});
    w.push_back({"project", {"w.mp"}, [](const TempDir& d) {
                   return WriteProject(d.File("w.mp"), SegmentProject{"West", 4, 2});
                 }});
    w.push_back({"set", {"kel.set"}, [this](const TempDir& d) {
                   return sets_.SaveSets(d.File("kel.set"));
                 }});
    w.push_back({"attributes", {"Tile.atr"}, [](const TempDir& d) {
                   TileAttributes atr;
                   atr.SetGroupCount(6);
                   atr.Load(d.Path(), nullptr);
                   return atr.Save();
                 }});
    w.push_back({"bitmap export", {"m.bmp"}, [this](const TempDir& d) {
                   return WriteBmp24(d.File("m.bmp"), picture_);
                 }});
    w.push_back({"picture", {"m.png"}, [this](const TempDir& d) {
                   return WritePng(d.File("m.png"), picture_);
                 }});
    w.push_back({"wil library", {"Tiles.wil", "Tiles.WIX"}, [](const TempDir& d) {
                   WilWriteOptions options;
                   options.BitCount = 16;
                   const std::vector images{Picture(5, 3, 2, 1), Picture(8, 2, 2, 2)};
                   return WriteWilLibrary(d.File("Tiles.wil"), options, images);
                 }});
    w.push_back({"data library", {"Objects.Data"}, [](const TempDir& d) {
                   const std::vector images{Picture(6, 4, 2, 3), Picture(3, 9, 2, 4)};
                   return WriteDataLibrary(d.File("Objects.Data"), 2, images);
                 }});
    return w;
  }

  // Puts every file of the writer back to its old bytes.
  void Restore(const Writer& w, const TempDir& d) {
    for (const auto& f : w.Files) WriteFileBytes(d.File(f), OldBytes(f));
  }
  void ExpectOld(const Writer& w, const TempDir& d, const std::string& where) {
    for (const auto& f : w.Files)
      ASSERT_EQ(ReadFileBytes(d.File(f)), OldBytes(f)) << w.Name << ": " << f << " " << where;
    ExpectNothingElse(w, d, where);
  }
  void ExpectSaved(const Writer& w, const TempDir& d,
                   const std::vector<std::vector<std::uint8_t>>& saved, const std::string& where) {
    for (std::size_t i = 0; i < w.Files.size(); ++i)
      ASSERT_EQ(ReadFileBytes(d.File(w.Files[i])), saved[i])
          << w.Name << ": " << w.Files[i] << " " << where;
    ExpectNothingElse(w, d, where);
  }
  void ExpectNothingElse(const Writer& w, const TempDir& d, const std::string& where) {
    std::vector<std::string> names = w.Files;
    std::sort(names.begin(), names.end());
    std::vector<std::string> listed = test::ListDirectory(d.Path());
    std::sort(listed.begin(), listed.end());
    ASSERT_EQ(listed, names) << w.Name << " left a file behind " << where;
  }

  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  ObjectSetList sets_;
  QImage picture_;
};

TEST_F(SafeSaveTest, EveryWriterKeepsTheOldFilesWhereverTheSaveFails) {
  for (const Writer& w : Writers()) {
    TempDir d;
    Restore(w, d);
    ASSERT_TRUE(w.Save(d)) << w.Name;
    std::vector<std::vector<std::uint8_t>> saved;
    std::uint64_t total = 0;
    for (const auto& f : w.Files) {
      saved.push_back(ReadFileBytes(d.File(f)));
      total += saved.back().size();
      ASSERT_NE(saved.back(), OldBytes(f)) << w.Name;
    }

    for (auto where : {WriteFault::At::Create, WriteFault::At::Byte, WriteFault::At::Close,
                       WriteFault::At::Rename, WriteFault::At::Sync}) {
      std::uint64_t count = 0;
      for (;; ++count) {
        Restore(w, d);
        bool ok = false;
        {
          test::PlantedFault fault({where, count});
          ok = static_cast<bool>(w.Save(d));
        }
        if (ok) break;
        const std::string at =
            "at step " + std::to_string(count) + " of kind " + std::to_string(int(where));
        // The syncs of the files' data come before any rename; the folder's comes after the
        // renames, so when it fails the new files are in place, and the save still fails.
        if (where == WriteFault::At::Sync && count >= w.Files.size()) {
          ExpectSaved(w, d, saved, at);
        } else {
          ExpectOld(w, d, at);
        }
        ASSERT_LT(count, total + 10) << w.Name;
      }
      // Every step was tried: each byte of the files as saved, or each file's creation, close,
      // rename and sync, and one sync of the folder; the save that finally went through wrote
      // what an undisturbed one writes.
      std::uint64_t steps = w.Files.size();
      if (where == WriteFault::At::Byte) steps = total;
      if (where == WriteFault::At::Sync) steps = w.Files.size() + 1;
      EXPECT_EQ(count, steps) << w.Name << " " << int(where);
      for (std::size_t i = 0; i < w.Files.size(); ++i)
        EXPECT_EQ(ReadFileBytes(d.File(w.Files[i])), saved[i]) << w.Name;
    }
  }
}

TEST_F(SafeSaveTest, EveryWriterRefusesReadOnlyFilesAndFoldersAndDevicesThatFill) {
  for (const Writer& w : Writers()) {
    TempDir d;
    Restore(w, d);
    for (const auto& f : w.Files) ASSERT_EQ(::chmod(d.File(f).c_str(), 0444), 0);
    EXPECT_FALSE(w.Save(d)) << w.Name;
    ExpectOld(w, d, "read-only");
    for (const auto& f : w.Files) ASSERT_EQ(::chmod(d.File(f).c_str(), 0644), 0);
    {
      test::ReadOnlyFolder folder(d.Path());
      if (folder.Refuses()) {
        EXPECT_FALSE(w.Save(d)) << w.Name;
      } else {
        std::printf("root on a file system without the immutable flag: no read-only folder\n");
      }
    }
    ExpectOld(w, d, "in a read-only folder");

    // A link to /dev/full: the device is written in place and every write of it fails. The
    // attribute file is read before it is written, and an endless device is refused there.
    if (w.Name == "attributes") continue;
    TempDir full;
    for (const auto& f : w.Files) {
      std::filesystem::create_symlink("/dev/full", full.File(f));
    }
    if (w.Name == "segment") {
      // Segment files are never written through a link: the new file takes the link's place.
      EXPECT_TRUE(w.Save(full));
      EXPECT_TRUE(std::filesystem::is_regular_file(
          std::filesystem::symlink_status(full.File(w.Files[0]))));
      continue;
    }
    EXPECT_FALSE(w.Save(full)) << w.Name;
  }
}

TEST_F(SafeSaveTest, EveryWriterSaysWhichFileItCouldNotWriteAndWhy) {
  for (const Writer& w : Writers()) {
    auto expect = [&](const SaveResult& result, const TempDir& d, const std::string& reason) {
      EXPECT_FALSE(result) << w.Name << ": " << reason;
      EXPECT_EQ(result.Message(), "cannot write '" + d.File(w.Files[0]) + "': " + reason) << w.Name;
    };
    {
      TempDir d;
      Restore(w, d);
      for (const auto& f : w.Files) ASSERT_EQ(::chmod(d.File(f).c_str(), 0444), 0);
      expect(w.Save(d), d, "the file is read-only");
    }
    {
      TempDir d;
      test::ReadOnlyFolder folder(d.Path());
      if (folder.Refuses()) expect(w.Save(d), d, "the folder '" + d.Path() + "' is read-only");
    }
    {
      TempDir d;
      std::filesystem::remove(d.Path());
      expect(w.Save(d), d, "the folder '" + d.Path() + "' does not exist");
    }
    {
      TempDir d;
      std::filesystem::create_directory(d.File(w.Files[0]));
      expect(w.Save(d), d, "it is a folder");
    }
    {
      TempDir d;
      Restore(w, d);
      test::PlantedFault fault({WriteFault::At::Byte, 10});
      expect(w.Save(d), d, "no space left on device");
    }
  }
}

TEST_F(SafeSaveTest, AFailedMapSaveKeepsTheMapModifiedAndSaysSo) {
  TempDir d;
  const std::vector<std::uint8_t> old = OldBytes("m.map");
  WriteFileBytes(d.File("m.map"), old);
  test::ScriptedQuestions q;
  test::RecordingWindow window;
  MainCommands c(*doc_, q, window, kBitCountData);
  for (std::uint64_t at : {std::uint64_t{0}, std::uint64_t{51}, std::uint64_t{52},
                           std::uint64_t{400}, std::uint64_t{52 + 9 * 7 * 12 - 1}}) {
    c.SetModified(true);
    q.SaveNames = {d.File("m.map")};
    q.YesNoReplies = {true};  // replace the file that is there
    q.Messages.clear();
    {
      test::PlantedFault fault({WriteFault::At::Byte, at});
      EXPECT_FALSE(c.SaveAs1Click()) << at;
    }
    EXPECT_TRUE(c.Modified()) << at;
    EXPECT_EQ(q.Messages.size(), 1u) << at;
    EXPECT_EQ(ReadFileBytes(d.File("m.map")), old) << at;
    // The question on leaving is asked again and a failing save stops the leaving.
    q.Replies = {Questions::Reply::Yes};
    q.SaveNames = {d.File("m.map")};
    q.YesNoReplies = {true};
    test::PlantedFault fault({WriteFault::At::Rename, 0});
    EXPECT_FALSE(c.FormCloseQuery());
    EXPECT_TRUE(c.Modified());
  }
  q.SaveNames = {d.File("m.map")};
  q.YesNoReplies = {true};
  EXPECT_TRUE(c.SaveAs1Click());
  EXPECT_FALSE(c.Modified());
}

TEST_F(SafeSaveTest, AMapSaveThatCannotBeMadeDurableStaysUnsaved) {
  TempDir d;
  const std::vector<std::uint8_t> old = OldBytes("m.map");
  test::ScriptedQuestions q;
  test::RecordingWindow window;
  MainCommands c(*doc_, q, window, kBitCountData);
  std::vector<std::uint8_t> leftInPlace;
  // Sync 0 is the new file's data, before the rename; sync 1 the folder's, after it.
  for (std::uint64_t at : {std::uint64_t{0}, std::uint64_t{1}}) {
    WriteFileBytes(d.File("m.map"), old);
    c.SetModified(true);
    q.SaveNames = {d.File("m.map")};
    q.YesNoReplies = {true};  // replace the file that is there
    q.Messages.clear();
    {
      test::PlantedFault fault({WriteFault::At::Sync, at});
      EXPECT_FALSE(c.SaveAs1Click()) << at;
    }
    EXPECT_TRUE(c.Modified()) << at;
    EXPECT_EQ(q.Messages.size(), 1u) << at;
    EXPECT_EQ(test::ListDirectory(d.Path()), std::vector<std::string>{"m.map"}) << at;
    if (at == 0) {
      EXPECT_EQ(ReadFileBytes(d.File("m.map")), old);
    } else {
      leftInPlace = ReadFileBytes(d.File("m.map"));
    }
  }
  // The new map is in place, only not known to be on the disk: a save that goes through
  // writes the same bytes and clears the mark.
  WriteFileBytes(d.File("m.map"), old);
  q.SaveNames = {d.File("m.map")};
  q.YesNoReplies = {true};
  EXPECT_TRUE(c.SaveAs1Click());
  EXPECT_FALSE(c.Modified());
  EXPECT_NE(leftInPlace, old);
  EXPECT_EQ(ReadFileBytes(d.File("m.map")), leftInPlace);
}

}  // namespace
}  // namespace hl

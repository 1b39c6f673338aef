#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <regex>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/MainCommands.h"
#include "app/Recovery.h"
#include "app/RecoveryFixture.h"
#include "map/MapFile.h"

namespace hl {
namespace {

using Reply = Questions::Reply;
using test::Editor;
using test::Paint;
using test::RecoveryTest;
using test::SameCells;

// A copy as an editor that ended without closing leaves it: the map and its description, with
// no lock held.
void LeaveCopy(const std::string& folder, const std::string& id, const MapDocument& doc,
               const std::string& name, std::int64_t savedAt, const std::string& segments = {}) {
  std::string info = "Harbourlight recovery 1\nname=" + name +
                     "\nformat=16\nsaved=" + std::to_string(savedAt) + "\n";
  if (!segments.empty()) info += "segments=" + segments + "\n";
  ASSERT_TRUE(WriteMapCopy(doc, folder + "/" + id + ".map", kBitCountData));
  test::WriteFileBytes(folder + "/" + id + ".info", {info.begin(), info.end()});
}

std::unique_ptr<MapDocument> Painted(int seed) {
  auto doc = std::make_unique<MapDocument>();
  Paint(*doc, seed);
  return doc;
}

std::vector<std::string> OrphanIds(const std::string& folder) {
  std::vector<std::string> ids;
  for (const RecoveredMap& copy : RecoveryStore(folder).Orphans()) ids.push_back(copy.Id);
  return ids;
}

// The id of the store's own files, as its lock names it.
std::string OwnId(const std::string& folder) {
  for (const std::string& name : test::ListDirectory(folder)) {
    if (name.size() > 5 && name.substr(name.size() - 5) == ".lock") {
      return name.substr(0, name.size() - 5);
    }
  }
  return {};
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode;
}

// An environment variable set (or, with nothing, removed) while it lives.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvironmentVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The umask while it lives.
class Umask {
 public:
  explicit Umask(mode_t mask) : old_(::umask(mask)) {}
  ~Umask() { ::umask(old_); }

 private:
  mode_t old_;
};

// Local time is UTC while it lives, so that the times in texts are known.
class UtcZone {
 public:
  UtcZone() {
    if (const char* tz = std::getenv("TZ")) old_ = tz;
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
  }
  ~UtcZone() {
    if (old_) {
      ::setenv("TZ", old_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST_F(RecoveryTest, CopiesAreWrittenAtMostOnceAMinuteAndDroppedOnceSaved) {
  Editor e;
  RecoveryStore store(folder_);
  ASSERT_TRUE(store.Active());
  Paint(*e.Doc, 1);
  EXPECT_FALSE(store.Tick(e.Commands, *e.Doc, 100));  // nothing unsaved yet
  EXPECT_FALSE(store.HasCopy());

  e.Commands.SetModified(true);
  EXPECT_TRUE(store.Tick(e.Commands, *e.Doc, 100));
  Paint(*e.Doc, 2);
  EXPECT_FALSE(store.Tick(e.Commands, *e.Doc, 159));
  ASSERT_EQ(test::ListDirectory(folder_).size(), 3u);  // lock, description, map
  EXPECT_TRUE(store.Tick(e.Commands, *e.Doc, 160));

  // The copy holds the cells as they are, library 7 and all, and leaves the document alone.
  RecoveryStore reader(folder_);
  auto copy = std::make_unique<MapDocument>();
  std::string mapFile;
  for (const auto& name : test::ListDirectory(folder_))
    if (name.size() > 4 && name.substr(name.size() - 4) == ".map") mapFile = folder_ + "/" + name;
  ASSERT_TRUE(LoadMap(*copy, mapFile));
  EXPECT_TRUE(SameCells(*copy, *e.Doc));
  EXPECT_EQ(e.Doc->Cell(3, 4).ObjectLib, 7);

  // Saved: the copy goes at the next tick.
  e.Q.SaveNames = {dir_.File("saved.map")};
  ASSERT_TRUE(e.Commands.SaveAs1Click());
  store.Tick(e.Commands, *e.Doc, 161);
  EXPECT_FALSE(store.HasCopy());
  EXPECT_FALSE(test::FileExists(mapFile));
}

TEST_F(RecoveryTest, OnlyCopiesOfEditorsThatEndedAreOfferedAndTheyRestoreExactly) {
  Editor crashed;
  crashed.Q.SaveNames = {dir_.File("West\\ern\nquay.map")};  // a name that needs escaping
  ASSERT_TRUE(crashed.Commands.SaveAs1Click());
  Paint(*crashed.Doc, 7);
  crashed.Commands.SetModified(true);
  auto store = std::make_unique<RecoveryStore>(folder_);
  ASSERT_TRUE(store->Tick(crashed.Commands, *crashed.Doc, 5));

  RecoveryStore next(folder_);
  EXPECT_TRUE(next.Orphans().empty()) << "the first editor still runs";
  store.reset();  // it goes away without closing: its lock is free, its copy stays

  const auto orphans = next.Orphans();
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_EQ(orphans[0].OriginalName, dir_.File("West\\ern\nquay.map"));
  EXPECT_EQ(orphans[0].MapBitCount, kBitCountData);
  EXPECT_TRUE(orphans[0].SegmentDir.empty());
  EXPECT_GT(orphans[0].SavedAt, 0);

  Editor restored;
  ASSERT_TRUE(restored.Commands.RestoreRecovered(orphans[0].CopyPath, orphans[0].OriginalName));
  EXPECT_TRUE(SameCells(*restored.Doc, *crashed.Doc));
  EXPECT_TRUE(restored.Commands.Modified());
  EXPECT_EQ(restored.Commands.MapFileName(), orphans[0].OriginalName);
  next.Forget(orphans[0]);
  EXPECT_TRUE(next.Orphans().empty());
  EXPECT_EQ(test::ListDirectory(folder_).size(), 1u);  // only the lock of `next`
}

TEST_F(RecoveryTest, DamagedCopiesAreNotOfferedOrNotRestored) {
  RecoveryStore store(folder_);
  test::WriteFileBytes(folder_ + "/hl-1-1.info", {'j', 'u', 'n', 'k', '\n'});
  const std::string noFormat = "Harbourlight recovery 1\nname=a.map\n";
  test::WriteFileBytes(folder_ + "/hl-2-2.info", {noFormat.begin(), noFormat.end()});
  EXPECT_TRUE(store.Orphans().empty());

  const std::string good = "Harbourlight recovery 1\nname=a.map\nformat=0\nsaved=9\n";
  test::WriteFileBytes(folder_ + "/hl-3-3.info", {good.begin(), good.end()});
  EXPECT_TRUE(store.Orphans().empty()) << "a description without its map";
  test::WriteFileBytes(folder_ + "/hl-3-3.map", {1, 2, 3});
  const auto orphans = store.Orphans();
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_EQ(orphans[0].MapBitCount, kBitCountWil);

  // A copy too short to be a map is refused without touching the open map.
  Editor e;
  Paint(*e.Doc, 3);
  EXPECT_FALSE(e.Commands.RestoreRecovered(orphans[0].CopyPath, orphans[0].OriginalName));
  EXPECT_EQ(e.Q.Messages.size(), 1u);
  EXPECT_EQ(e.Doc->MapWidth(), 12);
  EXPECT_FALSE(e.Commands.Modified());
}

TEST_F(RecoveryTest, TheOfferGoesNewestFirstNoDeletesAndCancelKeepsTheRest) {
  RecoveryStore store(folder_);
  Editor e;
  Paint(*e.Doc, 9);
  EXPECT_FALSE(OfferRecoveredMaps(store, e.Commands, *e.Doc, e.Q, 0));
  EXPECT_TRUE(e.Q.Asked.empty()) << "nothing to offer, nothing asked";

  LeaveCopy(folder_, "hl-a", *Painted(1), "/maps/a.map", 100);
  LeaveCopy(folder_, "hl-b", *Painted(2), "/maps/b.map", 300);
  LeaveCopy(folder_, "hl-c", *Painted(3), "/maps/c.map", 200);
  e.Q.Replies = {Reply::No, Reply::Cancel};
  EXPECT_FALSE(OfferRecoveredMaps(store, e.Commands, *e.Doc, e.Q, 0));
  ASSERT_EQ(e.Q.Asked.size(), 2u);
  EXPECT_NE(e.Q.Asked[0].find("/maps/b.map"), std::string::npos) << e.Q.Asked[0];
  EXPECT_NE(e.Q.Asked[1].find("/maps/c.map"), std::string::npos) << e.Q.Asked[1];
  EXPECT_EQ(OrphanIds(folder_), (std::vector<std::string>{"hl-c", "hl-a"}));
  EXPECT_FALSE(test::FileExists(folder_ + "/hl-b.map"));
  EXPECT_TRUE(SameCells(*e.Doc, *Painted(9)));
  EXPECT_FALSE(e.Commands.Modified());
  EXPECT_FALSE(store.HasCopy());
}

TEST_F(RecoveryTest, YesRestoresTheNewestCopyAndTakesItOver) {
  RecoveryStore store(folder_);
  LeaveCopy(folder_, "hl-old", *Painted(1), "/maps/old.map", 100);
  LeaveCopy(folder_, "hl-new", *Painted(2), "/maps/new.map", 200);
  Editor e;
  e.Q.Replies = {Reply::Yes, Reply::Yes};
  EXPECT_TRUE(OfferRecoveredMaps(store, e.Commands, *e.Doc, e.Q, 50));
  EXPECT_EQ(e.Q.Asked.size(), 1u) << "a restored copy ends the offer";
  EXPECT_TRUE(SameCells(*e.Doc, *Painted(2)));
  EXPECT_TRUE(e.Commands.Modified());
  EXPECT_EQ(e.Commands.MapFileName(), "/maps/new.map");
  EXPECT_EQ(e.Window.Label, "new");
  // This editor's own copy replaces the restored one, written at the clock it was given.
  EXPECT_TRUE(store.HasCopy());
  EXPECT_EQ(OrphanIds(folder_), std::vector<std::string>{"hl-old"});
  EXPECT_FALSE(store.Tick(e.Commands, *e.Doc, 50 + RecoveryStore::kInterval - 1));
  EXPECT_TRUE(store.Tick(e.Commands, *e.Doc, 50 + RecoveryStore::kInterval));
  store.Discard();
}

TEST_F(RecoveryTest, ASegmentWindowComesBackAsAnUntitledMap) {
  RecoveryStore store(folder_);
  LeaveCopy(folder_, "hl-seg", *Painted(5), "/world/last.map", 100, "/world");
  Editor e;
  e.Q.Replies = {Reply::Yes};
  EXPECT_TRUE(OfferRecoveredMaps(store, e.Commands, *e.Doc, e.Q, 0));
  ASSERT_EQ(e.Q.Asked.size(), 1u);
  EXPECT_NE(e.Q.Asked[0].find("the segment window of \"/world\""), std::string::npos);
  EXPECT_TRUE(SameCells(*e.Doc, *Painted(5)));
  EXPECT_EQ(e.Commands.MapFileName(), "");
  EXPECT_EQ(e.Window.Label, "Untitled.map");
  EXPECT_TRUE(e.Commands.Modified());
  EXPECT_FALSE(e.Commands.SegmentMode());
  store.Discard();
}

TEST_F(RecoveryTest, ACopyThatFailsToRestoreIsReportedDeletedAndTheNextOffered) {
  RecoveryStore store(folder_);
  LeaveCopy(folder_, "hl-good", *Painted(4), "/maps/good.map", 100);
  const std::string info = "Harbourlight recovery 1\nname=/maps/bad.map\nformat=16\nsaved=300\n";
  test::WriteFileBytes(folder_ + "/hl-bad.info", {info.begin(), info.end()});
  test::WriteFileBytes(folder_ + "/hl-bad.map", {1, 2, 3});
  Editor e;
  e.Q.Replies = {Reply::Yes, Reply::Yes};
  EXPECT_TRUE(OfferRecoveredMaps(store, e.Commands, *e.Doc, e.Q, 0));
  ASSERT_EQ(e.Q.Asked.size(), 3u);  // the damaged copy, why it failed, the good one
  EXPECT_NE(e.Q.Asked[0].find("bad.map"), std::string::npos);
  EXPECT_EQ(e.Q.Messages, std::vector<std::string>{"The recovered map could not be read: not a "
                                                   "map file: the header is 3 bytes, not 52."});
  EXPECT_NE(e.Q.Asked[2].find("good.map"), std::string::npos);
  EXPECT_TRUE(SameCells(*e.Doc, *Painted(4)));
  EXPECT_TRUE(OrphanIds(folder_).empty());
  store.Discard();
}

TEST(RecoveryQuestion, SaysWhatWasLostWhenAndWhatTheAnswersDo) {
  UtcZone utc;
  RecoveredMap copy;
  copy.OriginalName = "/maps/harbour.map";
  copy.SavedAt = 86400 + 3 * 3600 + 4 * 60 + 5;
  EXPECT_EQ(RecoveryQuestion(copy),
            "Harbourlight ended without saving the map \"/maps/harbour.map\". A recovery copy "
            "from 1970-01-02 03:04:05 was kept.\n\nRestore it? (No deletes the copy, Cancel keeps "
            "it for the next start.)");
  copy.OriginalName.clear();
  EXPECT_NE(RecoveryQuestion(copy).find("the map \"Untitled.map\""), std::string::npos);
  copy.SegmentDir = "/world";
  copy.SavedAt = 0;
  EXPECT_EQ(RecoveryQuestion(copy),
            "Harbourlight ended without saving the segment window of \"/world\". A recovery "
            "copy from 1970-01-01 00:00:00 was kept.\n\nIt opens as a new map, not as "
            "segments.\nRestore it? (No deletes the copy, Cancel keeps it for the next start.)");
}

TEST_F(RecoveryTest, WhatStandsAtACopysNameIsReplacedNeverFollowed) {
  const Umask open(0);
  const std::string victim = dir_.File("victim.map");
  test::WriteFileBytes(victim, {'k', 'e', 'e', 'p'});
  RecoveryStore store(folder_);
  ASSERT_TRUE(store.Active());
  const std::string id = OwnId(folder_);
  ASSERT_FALSE(id.empty());
  // A link where the copy goes, and a pipe (which nobody reads) where its description goes.
  ASSERT_EQ(::symlink(victim.c_str(), (folder_ + "/" + id + ".map").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder_ + "/" + id + ".info").c_str(), 0666), 0);
  Editor e;
  Paint(*e.Doc, 2);
  e.Commands.SetModified(true);
  ASSERT_TRUE(store.WriteNow(e.Commands, *e.Doc, 0));
  EXPECT_EQ(test::ReadFileBytes(victim), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
  for (const char* extension : {".map", ".info"}) {
    const unsigned mode = ModeOf(folder_ + "/" + id + extension);
    EXPECT_TRUE(S_ISREG(mode)) << extension;
    EXPECT_EQ(mode & 07777, 0600u) << extension << ": the copy is nobody else's to read";
  }
  store.Discard();
  EXPECT_TRUE(test::FileExists(victim));
}

TEST_F(RecoveryTest, NamesCannotBeForeseenSoNoPlantedLinkIsOpened) {
  // Links under every name an editor of this process would have taken in the next seconds
  // ("hl-<pid>-<time>-<count>"), pointing where a lock or copy would be created.
  const std::string victim = dir_.File("created-by-a-link");
  ASSERT_EQ(::mkdir(dir_.File("state").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(folder_.c_str(), 0700), 0);
  const long long now = std::time(nullptr);
  for (long long t = now; t <= now + 2; ++t) {
    for (int n = 0; n < 4; ++n) {
      const std::string name = folder_ + "/hl-" + std::to_string(::getpid()) + "-" +
                               std::to_string(t) + "-" + std::to_string(n);
      for (const char* extension : {".lock", ".map", ".info"}) {
        ASSERT_EQ(::symlink(victim.c_str(), (name + extension).c_str()), 0);
      }
    }
  }
  RecoveryStore store(folder_);
  RecoveryStore second(folder_);
  ASSERT_TRUE(store.Active());
  Editor e;
  e.Commands.SetModified(true);
  ASSERT_TRUE(store.WriteNow(e.Commands, *e.Doc, 0));
  EXPECT_FALSE(test::FileExists(victim));
  std::vector<std::string> locks;
  const std::regex own("hl-[0-9]+-[0-9]+-[0-9a-f]{16}\\.lock");
  for (const std::string& name : test::ListDirectory(folder_)) {
    if (std::regex_match(name, own)) locks.push_back(name);
  }
  ASSERT_EQ(locks.size(), 2u);
  EXPECT_NE(locks[0].substr(locks[0].size() - 21), locks[1].substr(locks[1].size() - 21));
  store.Discard();
}

TEST_F(RecoveryTest, OnlyAFolderOfTheUsersOwnKeepsCopies) {
  {
    const Umask open(0);
    RecoveryStore made(folder_);
    EXPECT_TRUE(made.Active());
    EXPECT_EQ(ModeOf(folder_) & 07777, 0700u) << "a new folder is the user's alone";
  }
  Editor e;
  e.Commands.SetModified(true);
  const auto refused = [&](const std::string& folder, const std::string& why) {
    LeaveCopy(folder, "hl-planted", *Painted(3), "/maps/planted.map", 100);
    const auto before = test::ListDirectory(folder);
    RecoveryStore store(folder);
    EXPECT_FALSE(store.Active()) << folder;
    EXPECT_EQ(store.Problem(), "cannot use \"" + folder + "\": " + why);
    EXPECT_TRUE(store.Orphans().empty()) << "copies anyone could have left are not offered";
    EXPECT_FALSE(store.WriteNow(e.Commands, *e.Doc, 0));
    EXPECT_EQ(test::ListDirectory(folder), before) << "nothing written there";
  };
  for (const unsigned mode : {0777u, 0770u, 0702u}) {
    const std::string shared = dir_.File("shared" + std::to_string(mode));
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), mode), 0);
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", mode);
    refused(shared, std::string("other users may write in it (mode ") + octal + ")");
  }
  const std::string foreign = dir_.File("foreign");
  ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);  // nobody's
    refused(foreign, "it belongs to another user");
  } else {
    RecoveryStore root("/");
    EXPECT_EQ(root.Problem(), "cannot use \"/\": it belongs to another user");
  }
}

TEST(RecoveryFolder, WithoutAHomeNoFolderIsUsed) {
  const EnvironmentVariable dir("HARBOURLIGHT_RECOVERY_DIR", std::nullopt);
  const EnvironmentVariable state("XDG_STATE_HOME", std::nullopt);
  {
    const EnvironmentVariable home("HOME", std::nullopt);
    EXPECT_EQ(RecoveryStore::DefaultFolder(), "") << "no folder under /tmp";
    RecoveryStore store(RecoveryStore::DefaultFolder());
    EXPECT_FALSE(store.Active());
    EXPECT_EQ(store.Problem(),
              "HOME is not set, and a folder other users share will not do (set "
              "HARBOURLIGHT_RECOVERY_DIR to a folder of your own)");
  }
  const EnvironmentVariable home("HOME", "/home/designer");
  EXPECT_EQ(RecoveryStore::DefaultFolder(), "/home/designer/.local/state/harbourlight/recovery");
  const EnvironmentVariable relative("XDG_STATE_HOME", "state");
  EXPECT_EQ(RecoveryStore::DefaultFolder(), "/home/designer/.local/state/harbourlight/recovery");
}

TEST(RecoveryQuestion, NamesWithLineBreaksAndControlsAreShownEscaped) {
  UtcZone utc;
  RecoveredMap copy;
  // A name that tries to end the question early and add one of its own.
  copy.OriginalName =
      "/maps/a.map\".\n\nRestore it? (Yes deletes the copy.)\r\t\x1b[2J\\n"
      "\xE2\x80\xAE"
      "pam.exe\xC2\x85\xFF";
  copy.SavedAt = 0;
  EXPECT_EQ(RecoveryQuestion(copy),
            "Harbourlight ended without saving the map \"/maps/a.map\".\\n\\nRestore it? (Yes "
            "deletes the copy.)\\r\\t\\x1B[2J\\\\n\\u{202E}pam.exe\\u{0085}\\xFF\". A recovery "
            "copy from 1970-01-01 00:00:00 was kept.\n\nRestore it? (No deletes the copy, "
            "Cancel keeps it for the next start.)");
  copy.SegmentDir = "/world\n/x";
  EXPECT_NE(RecoveryQuestion(copy).find("the segment window of \"/world\\n/x\""),
            std::string::npos);
}

}  // namespace
}  // namespace hl

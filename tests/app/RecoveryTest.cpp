#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <memory>
#include <optional>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/MainCommands.h"
#include "app/Recovery.h"
#include "app/TFrmMain.h"
#include "map/MapFile.h"

namespace hl {
namespace {

using Reply = Questions::Reply;

// Cells that tell maps apart, with an object of library 7 that a real save would move.
void Paint(MapDocument& doc, int seed) {
  doc.SetMapSize(12, 9);
  for (int x = 0; x < 12; ++x) {
    for (int y = 0; y < 9; ++y) {
      TMapCell c{};
      c.BackTile = static_cast<std::uint16_t>(x * 31 + y + seed);
      c.Light = static_cast<std::uint8_t>((x + y + seed) % 5);
      doc.SetCell(x, y, c);
    }
  }
  TMapCell object{};
  object.ObjectImage = 12;
  object.ObjectLib = 7;
  doc.SetCell(3, 4, object);
}

bool SameCells(const MapDocument& a, const MapDocument& b) {
  if (a.MapWidth() != b.MapWidth() || a.MapHeight() != b.MapHeight()) return false;
  for (int x = 0; x < a.MapWidth(); ++x)
    for (int y = 0; y < a.MapHeight(); ++y)
      if (!(a.Cell(x, y) == b.Cell(x, y))) return false;
  return true;
}

// One editor's document state, as the main window holds it.
struct Editor {
  std::unique_ptr<MapDocument> Doc = std::make_unique<MapDocument>();
  test::ScriptedQuestions Q;
  test::RecordingWindow Window;
  MainCommands Commands{*Doc, Q, Window, kBitCountData};
};

class RecoveryTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::string folder_ = dir_.File("state/recovery");
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

TEST_F(RecoveryTest, TheEditorOffersTheCopyAtStartAndTakesItOver) {
  const std::string folder = RecoveryStore::DefaultFolder();
  ASSERT_FALSE(folder.empty());
  auto reference = std::make_unique<MapDocument>();
  {
    Editor crashed;
    Paint(*crashed.Doc, 4);
    Paint(*reference, 4);
    crashed.Commands.SetModified(true);
    RecoveryStore store(folder);
    ASSERT_TRUE(store.WriteNow(crashed.Commands, *crashed.Doc, 0));
  }
  test::ScriptedQuestions declining;
  declining.Replies = {Reply::Cancel};
  {
    TFrmMain window(kBitCountData, dir_.Path(), &declining);
    window.OfferRecovery();
    EXPECT_FALSE(SameCells(window.Document(), *reference));
    window.Recovery().Discard();
  }
  ASSERT_EQ(declining.Asked.size(), 1u);
  EXPECT_NE(declining.Asked[0].find("Untitled.map"), std::string::npos) << declining.Asked[0];

  test::ScriptedQuestions q;
  q.Replies = {Reply::Yes};
  TFrmMain window(kBitCountData, dir_.Path(), &q);
  window.OfferRecovery();
  ASSERT_EQ(q.Asked.size(), 1u) << "a cancelled offer comes back at the next start";
  EXPECT_TRUE(SameCells(window.Document(), *reference));
  EXPECT_TRUE(window.Commands().Modified());
  // The editor's own copy replaces the old one at once, so a second crash loses nothing.
  EXPECT_TRUE(window.Recovery().HasCopy());
  RecoveryStore another(folder);
  EXPECT_TRUE(another.Orphans().empty());
  window.Recovery().Discard();

  // A copy whose map cannot be read is reported once and not offered again.
  const std::string info = "Harbourlight recovery 1\nname=b.map\nformat=16\nsaved=9\n";
  test::WriteFileBytes(folder + "/hl-4-4.info", {info.begin(), info.end()});
  test::WriteFileBytes(folder + "/hl-4-4.map", {1, 2, 3});
  test::ScriptedQuestions again;
  again.Replies = {Reply::Yes};
  TFrmMain third(kBitCountData, dir_.Path(), &again);
  third.OfferRecovery();
  EXPECT_EQ(again.Messages.size(), 1u);
  EXPECT_FALSE(third.Commands().Modified());
  EXPECT_TRUE(RecoveryStore(folder).Orphans().empty());
}

TEST_F(RecoveryTest, AFolderThatCannotBeUsedTurnsCopiesOffAndSaysSo) {
  test::WriteFileBytes(dir_.File("plain-file"), {1});
  RecoveryStore store(dir_.File("plain-file/recovery"));
  EXPECT_FALSE(store.Active());
  Editor e;
  e.Commands.SetModified(true);
  EXPECT_FALSE(store.Tick(e.Commands, *e.Doc, 0));
  EXPECT_TRUE(store.Orphans().empty());

  const QByteArray saved = qgetenv("HARBOURLIGHT_RECOVERY_DIR");
  qputenv("HARBOURLIGHT_RECOVERY_DIR", QByteArray::fromStdString(dir_.File("plain-file")));
  test::ScriptedQuestions q;
  TFrmMain window(kBitCountData, dir_.Path(), &q);
  qputenv("HARBOURLIGHT_RECOVERY_DIR", saved);
  EXPECT_FALSE(window.Recovery().Active());
  const auto* off = window.findChild<QLabel*>("RecoveryOff");
  ASSERT_NE(off, nullptr);
  EXPECT_TRUE(off->text().contains("No recovery copies"));
}

}  // namespace
}  // namespace hl

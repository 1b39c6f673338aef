#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/RecoveryFixture.h"
#include "app/MainCommands.h"
#include "app/Recovery.h"
#include "map/MapFile.h"

namespace hl {
namespace {

using Reply = Questions::Reply;
using test::Editor;
using test::Paint;
using test::RecoveryTest;
using test::SameCells;

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

}  // namespace
}  // namespace hl

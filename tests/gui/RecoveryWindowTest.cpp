#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QTest>
#include <memory>

#include "app/Recovery.h"
#include "app/RecoveryFixture.h"
#include "app/ui/TFrmMain.h"

namespace hl {
namespace {

using Reply = Questions::Reply;
using test::Editor;
using test::Paint;
using test::RecoveryTest;
using test::SameCells;

TEST_F(RecoveryTest, TheEditorOffersTheCopyOnceWhenItFirstShowsAndTakesItOver) {
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
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < 100 && declining.Asked.empty(); ++i) QTest::qWait(10);
    EXPECT_EQ(declining.Asked.size(), 1u) << "offered as the window first shows";
    window.OfferRecovery();  // once per start: no second question
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

TEST_F(RecoveryTest, AFolderOthersMayWriteInIsRefusedAndTheStatusBarSaysWhy) {
  const std::string shared = dir_.File("shared");
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
  const QByteArray saved = qgetenv("HARBOURLIGHT_RECOVERY_DIR");
  qputenv("HARBOURLIGHT_RECOVERY_DIR", QByteArray::fromStdString(shared));
  test::ScriptedQuestions q;
  TFrmMain window(kBitCountData, dir_.Path(), &q);
  qputenv("HARBOURLIGHT_RECOVERY_DIR", saved);
  EXPECT_FALSE(window.Recovery().Active());
  const auto* off = window.findChild<QLabel*>("RecoveryOff");
  ASSERT_NE(off, nullptr);
  EXPECT_EQ(off->text().toStdString(), "No recovery copies: cannot use \"" + shared +
                                           "\": other users may write in it (mode 0777)");
  EXPECT_TRUE(test::ListDirectory(shared).empty());
}
}  // namespace
}  // namespace hl

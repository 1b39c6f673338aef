#include <gtest/gtest.h>

#include <QAction>
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "app/ui/TFrmMain.h"
#include "map/MapFile.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

class SegmentWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    main_ = std::make_unique<TFrmMain>(16, dir_.Path(), &q_);
    // The segment window is a dock of the main window: it shows only with it.
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
    seg_ = main_->SegmentUnit();
    // A world of 6 x 6 segments whose light at (0, 0) says which one it is.
    for (int c = 0; c < 6; ++c) {
      for (int r = 0; r < 6; ++r) {
        auto doc = std::make_unique<MapDocument>();
        doc->SetLight(0, 0, c * 10 + r + 1);
        ASSERT_TRUE(SaveSegment(*doc, dir_.File(SegmentName("W", c, r) + ".sem"), 0, 0));
      }
    }
    ASSERT_TRUE(WriteProject(dir_.File("world.mp"), {"W", 6, 6}));
    main_->findChild<QAction*>("NewSegmentMap1")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(seg_));
  }
  int Shown() { return main_->Document().Cell(0, 0).Light; }
  void Click(const char* button) { main_->findChild<QAction*>(button)->trigger(); }

  test::TempDir dir_;
  test::ScriptedQuestions q_;
  std::unique_ptr<TFrmMain> main_;
  TFrmSegment* seg_ = nullptr;
};

TEST_F(SegmentWindowTest, OpenScrollEditAndMove) {
  EXPECT_EQ(seg_->windowTitle(), "SegUnit");
  EXPECT_EQ(seg_->EdIdent->text(), "A");
  seg_->OpenProjectFile(dir_.File("world.mp"));
  EXPECT_EQ(seg_->EdIdent->text(), "W");
  EXPECT_EQ(seg_->EdCol->text(), "6");
  EXPECT_EQ(seg_->SegGrid->ColumnCount(), 6);
  seg_->SegGrid->resize(250, 90);  // room for two columns and two rows: scrolling reaches 4
  seg_->SegGrid->horizontalScrollBar()->setValue(121);
  seg_->SegGrid->verticalScrollBar()->setValue(82);
  EXPECT_EQ(main_->Segments().OriginCol(), 1);
  EXPECT_EQ(main_->Segments().OriginRow(), 2);
  seg_->BtnEdit->click();
  EXPECT_FALSE(seg_->isVisible());
  EXPECT_EQ(Shown(), 13);
  EXPECT_EQ(main_->Document().MapWidth(), 120);

  Click("BtnRightSeg");
  Click("BtnRightSeg");
  Click("BtnRightSeg");  // 3 + 3 = 6 columns: stays
  EXPECT_EQ(Shown(), 33);
  EXPECT_EQ(seg_->SegGrid->horizontalScrollBar()->value(), 3 * 121);
  Click("BtnDownSeg");
  Click("BtnDownSeg");
  EXPECT_EQ(Shown(), 34);
  Click("BtnUpSeg");
  Click("BtnLeftSeg");
  EXPECT_EQ(Shown(), 23);
  EXPECT_EQ(main_->Tools().SegOriginX, 80);
  EXPECT_TRUE(q_.Asked.empty());

  main_->Document().SetLight(3, 3, 7);
  main_->Commands().SetModified(true);
  q_.Replies = {Questions::Reply::Yes};
  Click("BtnLeftSeg");
  auto saved = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*saved, dir_.File("W102102.sem")));
  EXPECT_EQ(saved->Cell(3, 3).Light, 7);
  EXPECT_EQ(Shown(), 13);
  EXPECT_EQ(q_.Asked, std::vector<std::string>{"Edit ?"});

  seg_->BtnCancel->click();
  EXPECT_FALSE(main_->Commands().SegmentMode());
  Click("BtnRightSeg");  // outside segment mode: nothing
  EXPECT_EQ(Shown(), 13);
}

TEST_F(SegmentWindowTest, IdentBoxTakesFifteenPlainCharacters) {
  seg_->EdIdent->clear();
  QTest::keyClicks(seg_->EdIdent, "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(seg_->EdIdent->text(), "ABCDEFGHIJKLMNO");
  // Separators would take segment files out of the project's folder.
  seg_->EdIdent->clear();
  QTest::keyClicks(seg_->EdIdent, "../..\\x:y");
  EXPECT_EQ(seg_->EdIdent->text(), "....xy");
  seg_->EdIdent->setText("ABCDEFGHIJKLMNO");
  seg_->EdCol->setText("2");
  seg_->EdRow->setText("0");
  seg_->BtnNew->click();  // a count below 1: nothing
  EXPECT_EQ(seg_->SegGrid->ColumnCount(), 1);
  seg_->EdRow->setText("4");
  seg_->BtnNew->click();
  EXPECT_EQ(seg_->SegGrid->ColumnCount(), 2);
  EXPECT_EQ(seg_->SegGrid->RowCount(), 4);
  seg_->BtnEdit->click();  // no project folder yet
  EXPECT_EQ(q_.Asked, std::vector<std::string>{SegmentCommands::kNoProject});
  EXPECT_TRUE(seg_->isVisible());
}

}  // namespace
}  // namespace hl

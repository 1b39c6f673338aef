#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "app/ui/TFrmMain.h"
#include "objects/ui/TFrmObjEdit.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

class ObjectEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    main_ = std::make_unique<TFrmMain>(16, dir_.Path(), &q_);
    editor_ = std::make_unique<TFrmObjEdit>(
        main_->Libraries(), *main_->TilePicker(), q_, LibraryFormat::Data, [this] { return now_; },
        nullptr);
    editor_->resize(900, 700);
    editor_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(editor_.get()));
  }
  void Press(int c, int r, Qt::KeyboardModifiers modifiers = {}) {
    editor_->PboxMouseDown(editor_->CellRect(c, r).center(), modifiers);
  }
  test::TempDir dir_;
  test::ScriptedQuestions q_;
  std::uint32_t now_ = 5000;
  std::unique_ptr<TFrmMain> main_;
  std::unique_ptr<TFrmObjEdit> editor_;
};

TEST_F(ObjectEditorTest, ControlsAndLibraryList) {
  EXPECT_EQ(editor_->windowTitle(), "Object Edit   (+[Ctrl] )");
  EXPECT_TRUE(editor_->BObj->isChecked());
  EXPECT_TRUE(editor_->CkViewMark->isChecked());
  EXPECT_EQ(editor_->CbWilIndexList->count(), 1);
  EXPECT_EQ(editor_->CbWilIndexList->itemText(0), "Objects.data");
  EXPECT_EQ(editor_->SeDoor->maximum(), 127);
  EXPECT_EQ(editor_->ScreenToCell(editor_->CellRect(-2, -3).topLeft()), QPoint(-2, -3));
}

TEST_F(ObjectEditorTest, PressesFollowTheModes) {
  // Presses within a second of opening are ignored.
  QTimer::singleShot(0, [this] {
    Press(0, 0);
    EXPECT_TRUE(editor_->Model().Cells().empty());
    now_ += 1000;
    editor_->DetailGrid->SetCurrent(1, 0);
    Press(0, 0);  // "Obj": image 1 of library 0
    editor_->BtnMark1->setChecked(true);
    Press(0, 0);  // the mark toggle comes before the mode
    editor_->BtnMark1->setChecked(false);
    editor_->BTile->setChecked(true);
    Press(1, 0);  // odd column: beep, nothing
    EXPECT_EQ(q_.Beeps, 1);
    main_->TilePicker()->TileGrid->SetCurrent(2, 0);
    Press(2, 3);  // odd row: the same
    EXPECT_EQ(q_.Beeps, 2);
    Press(2, 2);
    editor_->BLight->setChecked(true);
    editor_->SeLight->setValue(300);  // more than a cell holds: the box stops at 255
    Press(4, 4);
    editor_->BDoorCore->setChecked(true);
    Press(4, 4);
    Press(6, 6, Qt::ControlModifier);  // nothing there to remove
    editor_->SeAniFrame->setValue(2);
    editor_->CkAlpha->setChecked(true);
    editor_->BtnOk->click();
  });
  now_ = 5000;
  ASSERT_TRUE(editor_->Execute());
  const TObjectSet cells = editor_->Model().Cells();
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].ObjIndex, 1);
  EXPECT_EQ(cells[0].Marks, 2);
  EXPECT_EQ(cells[1].TileIndex, 2);
  EXPECT_EQ(cells[2].Light, 255);
  EXPECT_EQ(cells[2].Door, 128);
  for (const TSetCell& c : cells) {
    EXPECT_EQ(c.AniFrame, 2);
    EXPECT_EQ(c.Alpha, 1);
  }
}

TEST_F(ObjectEditorTest, SpinBoxesHoldWhatTheCellFieldsHold) {
  const struct {
    QSpinBox* Box;
    int Max;
  } boxes[] = {{editor_->SeLight, 255}, {editor_->SeDoor, 127}, {editor_->SeDoorOffset, 255}};
  for (const auto& [box, max] : boxes) {
    EXPECT_EQ(box->minimum(), 0) << box->objectName().toStdString();
    EXPECT_EQ(box->maximum(), max) << box->objectName().toStdString();
    // Typing past the end is not taken either.
    QLineEdit* text = box->findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    box->setValue(1);
    text->selectAll();
    QTest::keyClicks(box, QString::number(max + 1));
    box->interpretText();
    EXPECT_LE(box->value(), max) << box->objectName().toStdString();
    text->selectAll();
    QTest::keyClicks(box, "-1");
    box->interpretText();
    EXPECT_GE(box->value(), 0) << box->objectName().toStdString();
  }
}

TEST_F(ObjectEditorTest, CtrlRemovesAndCancelReturnsFalse) {
  QTimer::singleShot(0, [this] {
    now_ += 2000;
    Press(3, 3);
    Press(3, 3, Qt::ControlModifier);
    editor_->BitBtn1->click();
  });
  EXPECT_FALSE(editor_->Execute());
  EXPECT_TRUE(editor_->Model().Cells().empty());
}

}  // namespace
}  // namespace hl

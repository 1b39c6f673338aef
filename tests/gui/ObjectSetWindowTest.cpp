#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <QTimer>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "objects/SetCells.h"
#include "app/ui/TFrmMain.h"
#include "objects/ui/TFrmObjSet.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

using test::Record;

class ObjectSetWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    main_ = std::make_unique<TFrmMain>(16, dir_.Path(), &q_);
    TFrmObjSet::Hooks hooks;
    hooks.Edit = [this](const TObjectSet* set) -> std::optional<TObjectSet> {
      edited_.push_back(set ? std::optional<TObjectSet>(*set) : std::nullopt);
      if (answers_.empty()) return std::nullopt;
      auto answer = answers_.front();
      answers_.pop_front();
      return answer;
    };
    window_ = std::make_unique<TFrmObjSet>(sets_, main_->Libraries(), hooks);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void Key(int row, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    window_->SetGrid->SetCurrent(0, row);
    QTest::keyClick(window_->SetGrid, key, mods);
  }
  int Rows() const { return window_->SetGrid->RowCount(); }
  QImage Picture(const TObjectSet& set) {
    sets_.Items = {set};
    QImage image(TFrmObjSet::kColumnWidth, TFrmObjSet::kRowHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    window_->DrawRow(p, image.rect(), 0);
    return image;
  }
  static bool AnyLit(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (image.pixel(x, y) != qRgb(0, 0, 0)) return true;
    return false;
  }

  test::TempDir dir_;
  test::ScriptedQuestions q_;
  std::unique_ptr<TFrmMain> main_;
  ObjectSetList sets_;
  std::unique_ptr<TFrmObjSet> window_;
  std::deque<std::optional<TObjectSet>> answers_;
  std::vector<std::optional<TObjectSet>> edited_;
};

TEST_F(ObjectSetWindowTest, TheBlankRowTakesANewSet) {
  EXPECT_EQ(window_->windowTitle(), "ObjSet");
  EXPECT_EQ(Rows(), 1);
  window_->EditCurrentRow();  // cancelled
  EXPECT_EQ(Rows(), 1);
  answers_ = {TObjectSet{}};
  Key(0, Qt::Key_Return);
  EXPECT_EQ(Rows(), 2);
  ASSERT_NE(sets_.GetSet(0), nullptr);
  EXPECT_EQ(edited_, (std::vector<std::optional<TObjectSet>>{std::nullopt, std::nullopt}));
  EXPECT_EQ(window_->CurrentSet(), sets_.GetSet(0));
}

TEST_F(ObjectSetWindowTest, KeysInsertCopyPasteAndDelete) {
  const TObjectSet a{Record(0, 0, 1, 2)}, b{Record(1, 1, -1, 0)};
  sets_.Items = {a, b};
  sets_.NotifyChanged();
  ASSERT_EQ(Rows(), 3);
  Key(0, Qt::Key_Insert);
  EXPECT_EQ(Rows(), 4);
  EXPECT_EQ(window_->GetSet(0), nullptr);
  Key(1, Qt::Key_Delete);  // a set stays without Ctrl
  EXPECT_EQ(Rows(), 4);
  Key(0, Qt::Key_Delete);
  EXPECT_EQ(Rows(), 3);
  Key(0, Qt::Key_Insert, Qt::ControlModifier);
  Key(2, Qt::Key_Insert, Qt::ShiftModifier);  // pasted on the blank row: appended
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(*window_->GetSet(2), a);
  Key(2, Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);  // neither: a slot
  EXPECT_EQ(window_->GetSet(2), nullptr);
  EXPECT_EQ(Rows(), 5);
  Key(1, Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(Rows(), 4);
  EXPECT_EQ(*window_->GetSet(2), a);
  // Editing the copy leaves its source alone.
  answers_ = {TObjectSet{Record(5, 5, -1, 1)}};
  Key(2, Qt::Key_Enter);
  EXPECT_EQ(*window_->GetSet(0), a);
  EXPECT_EQ(window_->GetSet(2)->front().X, 5);
  EXPECT_TRUE(sets_.Changed());
}

TEST_F(ObjectSetWindowTest, RowPictureAtQuarterSize) {
  TObjectSet set{Record(0, 0, 1, -1), Record(0, 0, -1, 0)};
  set[1].AniFrame = 2;
  set[0].AniTick = 7;
  const QImage image = Picture(set);
  // The tile's 24 x 16 from (48, 50); the object's 12 x 20 standing on y 58.
  EXPECT_EQ(image.pixel(70, 60), test::Drawn(test::TileColour(1)));
  EXPECT_EQ(image.pixel(48, 38), test::Drawn(test::ObjectColour(0)));
  EXPECT_EQ(image.pixel(59, 57), test::Drawn(test::ObjectColour(0)));
  EXPECT_EQ(image.pixel(48, 37), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(60, 40), qRgb(0, 0, 0));
  EXPECT_TRUE(AnyLit(image, {0, 0, 120, 16}));  // "animation 0": the last record's tick

  TObjectSet still{Record(0, 0, 1, -1), Record(0, 0, -1, 0)};
  still[0].AniFrame = 3;  // animated, but without an object
  EXPECT_FALSE(AnyLit(Picture(still), {0, 0, 120, 16}));
}

TEST_F(ObjectSetWindowTest, SavedAndLoadedWithoutSlots) {
  sets_.Items = {TObjectSet{Record(0, 0, 1, 2)}, std::nullopt, TObjectSet{Record(1, 0, 3, 4)}};
  const std::string file = dir_.File("mine.set");
  ASSERT_TRUE(window_->SaveTo(file));
  sets_.ClearSets();
  ASSERT_TRUE(window_->LoadFrom(file));
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(window_->GetSet(1)->front().ObjIndex, 4);
  EXPECT_FALSE(window_->SaveTo(dir_.File("no/such/dir.set")));
}

TEST(ObjectSetMainWindow, RowClickPlacesSetsAndExitAsksToSave) {
  test::TempDir dir;
  test::WriteTestLibraries(dir.Path());
  test::ScriptedQuestions q;
  TFrmMain main(16, dir.Path(), &q);
  main.Sets().FileName = dir.File("kel.set");
  main.Sets().ReplaceSet(0, TObjectSet{Record(0, 0, -1, 1), Record(1, 0, 2, -1)});
  TFrmObjSet& window = *main.ObjectSetWindow();
  EXPECT_EQ(window.SetGrid->RowCount(), 2);
  main.show();  // the set browser is one of its docks
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect row0 = window.SetGrid->CellRect(0, 0);
  QTest::mouseClick(window.SetGrid->viewport(), Qt::LeftButton, {}, row0.center());
  EXPECT_EQ(main.Tools().ToolMode, ToolMode::DrawObjectsInSet);
  EXPECT_FALSE(main.MapView()->Footprint().Empty());
  main.MapView()->SetZoom(100);
  main.MapPaintMouseDown({10 * 48 + 5, 10 * 32 + 5}, Qt::LeftButton, Qt::LeftButton, {});
  EXPECT_EQ(main.Document().Cell(10, 10).ObjectImage, 2);

  q.Replies = {Questions::Reply::No, Questions::Reply::Cancel};  // the map, then the sets
  EXPECT_FALSE(main.close());
  q.Replies = {Questions::Reply::No, Questions::Reply::Yes};
  EXPECT_TRUE(main.close());
  ObjectSetList saved;
  std::string error;
  ASSERT_TRUE(saved.LoadSets(dir.File("kel.set"), &error));
  EXPECT_EQ(saved.Items.size(), 1u);
}

}  // namespace
}  // namespace hl

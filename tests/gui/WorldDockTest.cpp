#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "app/ui/TFrmMain.h"
#include "map/MapFile.h"
#include "segments/ui/WorldDock.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

class WorldDockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    main_ = std::make_unique<TFrmMain>(16, dir_.Path(), &q_);
    // A world of 6 x 6 segments whose light at (0, 0) says which one it is, and whose big
    // tiles give each segment a colour of its own.
    for (int c = 0; c < 6; ++c) {
      for (int r = 0; r < 6; ++r) {
        auto doc = std::make_unique<MapDocument>();
        doc->SetLight(0, 0, c * 10 + r + 1);
        for (int x = 0; x < 40; x += 2)
          for (int y = 0; y < 40; y += 2) doc->SetBackTile(x, y, (c + r) % 10 + 1);
        ASSERT_TRUE(SaveSegment(*doc, dir_.File(SegmentName("W", c, r) + ".sem"), 0, 0));
      }
    }
    ASSERT_TRUE(WriteProject(dir_.File("world.mp"), {"W", 6, 6}));
    main_->resize(1000, 700);
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
    dock_ = main_->findChild<WorldDock*>("WorldDock");
    ASSERT_NE(dock_, nullptr);
    EXPECT_FALSE(dock_->isVisible());  // no project yet
    main_->SegmentUnit()->OpenProjectFile(dir_.File("world.mp"));
    view_ = dock_->View();
    ASSERT_TRUE(dock_->isVisible());
    ASSERT_TRUE(view_->World());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view_));
    view_->repaint();
  }
  void TearDown() override { main_.reset(); }
  int Shown() { return main_->Document().Cell(0, 0).Light; }
  QPoint At(int col, int row) { return view_->SegmentRect(col, row).center().toPoint(); }
  void Click(int col, int row) { QTest::mouseClick(view_, Qt::LeftButton, {}, At(col, row)); }
  // Until the builder has made or found every thumbnail the view asked for, and they came.
  void WaitForPictures() {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          view_->repaint();
          return view_->Builder()->Idle() && view_->Memory().Count() >= 36;
        },
        120000));
    QTest::qWait(20);
    view_->repaint();
  }

  test::TempDir dir_;
  test::ScriptedQuestions q_;
  std::unique_ptr<TFrmMain> main_;
  WorldDock* dock_ = nullptr;
  WorldView* view_ = nullptr;
};

TEST_F(WorldDockTest, AClickLoadsTheWindowAroundTheSegmentEvenBeforeSegmentMode) {
  EXPECT_FALSE(main_->Commands().SegmentMode());
  Click(3, 4);
  EXPECT_TRUE(main_->Commands().SegmentMode());
  EXPECT_EQ(Shown(), 2 * 10 + 3 + 1);  // the window from (2, 3)
  EXPECT_EQ(main_->Document().UndoCount(), 0);
  EXPECT_FALSE(main_->SegmentUnit()->isVisible());
  // At the edges the window stays inside the world.
  Click(0, 0);
  EXPECT_EQ(Shown(), 1);
  Click(5, 5);
  EXPECT_EQ(Shown(), 3 * 10 + 3 + 1);
  EXPECT_EQ(main_->Tools().SegOriginX, 3 * 40);
  Click(5, 0);
  EXPECT_EQ(Shown(), 3 * 10 + 0 + 1);
  EXPECT_TRUE(q_.Asked.empty());
}

TEST_F(WorldDockTest, AClickAsksAboutChangesAsEditDoes) {
  Click(1, 1);
  ASSERT_EQ(Shown(), 1);
  main_->Document().SetLight(5, 5, 99);
  main_->Commands().SetModified(true);
  q_.Replies = {Questions::Reply::Cancel};
  Click(4, 4);
  EXPECT_EQ(q_.Asked, std::vector<std::string>{"Edit ?"});
  EXPECT_EQ(Shown(), 1);  // cancelled: the window stays
  EXPECT_EQ(main_->Segments().OriginCol(), 0);
  q_.Replies = {Questions::Reply::Yes};
  Click(4, 4);
  EXPECT_EQ(Shown(), 3 * 10 + 3 + 1);
  auto saved = std::make_unique<MapDocument>();
  ASSERT_TRUE(LoadMap(*saved, dir_.File("W100100.sem")));
  EXPECT_EQ(saved->Cell(5, 5).Light, 99);
}

TEST_F(WorldDockTest, TheSegmentUnderThePointerIsNamed) {
  QTest::mouseMove(view_, At(2, 1));
  EXPECT_TRUE(
      dock_->HoverLabel()->text().startsWith("W101102  column 2, row 1  cells 80-119, 40-79"))
      << dock_->HoverLabel()->text().toStdString();
  QTest::mouseMove(view_, At(5, 4));
  EXPECT_TRUE(dock_->HoverLabel()->text().startsWith("W104105"))
      << dock_->HoverLabel()->text().toStdString();
}

TEST_F(WorldDockTest, TheWheelZoomsAroundThePointerAndADragPans) {
  const QPoint at = At(4, 2);
  const double before = view_->SegmentWidth();
  QWheelEvent wheel(at, view_->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(view_, &wheel);
  EXPECT_NEAR(view_->SegmentWidth(), std::min(before * 1.5625, WorldView::kMaxSegmentWidth), 1e-9);
  EXPECT_EQ(view_->SegmentAt(at), QPoint(4, 2));  // still under the pointer

  const QPointF pan = view_->Pan();
  QTest::mousePress(view_, Qt::LeftButton, {}, at);
  QTest::mouseMove(view_, at + QPoint(30, 20));
  QTest::mouseRelease(view_, Qt::LeftButton, {}, at + QPoint(30, 20));
  EXPECT_EQ(view_->Pan(), pan + QPointF(30, 20));
  EXPECT_FALSE(main_->Commands().SegmentMode());  // a drag is no click
}

TEST_F(WorldDockTest, ThumbnailsFillTheViewAndTheNineAreRedrawnWhenSaved) {
  WaitForPictures();
  const QImage shown = view_->grab().toImage();
  const QRgb tileOf11 = test::Drawn(test::TileColour(2));  // (1 + 1) % 10 + 1 - 1
  EXPECT_EQ(shown.pixel(At(1, 1)), tileOf11);
  EXPECT_EQ(shown.pixel(At(3, 1)), test::Drawn(test::TileColour(4)));

  Click(1, 1);  // the window from (0, 0), framed
  const QImage framed = view_->grab().toImage();
  const QRectF frame = view_->SegmentRect(0, 0).united(view_->SegmentRect(2, 2));
  EXPECT_EQ(framed.pixel(frame.center().toPoint().x(), static_cast<int>(frame.top()) + 1),
            WorldView::kFrameColour);

  // Segment (1, 1) painted over with tile 8 and saved: its thumbnail follows.
  for (int x = 40; x < 80; x += 2)
    for (int y = 40; y < 80; y += 2) main_->Document().SetBackTile(x, y, 8);
  main_->Commands().SetModified(true);
  main_->SegmentUnit()->BtnSaveSegsClick();
  EXPECT_FALSE(main_->Commands().Modified());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        view_->repaint();
        return view_->grab().toImage().pixel(At(1, 1)) == test::Drawn(test::TileColour(7));
      },
      120000));
  EXPECT_EQ(view_->grab().toImage().pixel(At(3, 1)), test::Drawn(test::TileColour(4)));
}

TEST_F(WorldDockTest, MissingSegmentsShowAsNeutralGround) {
  ASSERT_EQ(::unlink(dir_.File("W102103.sem").c_str()), 0);
  view_->SegmentsChanged(QRect(0, 0, 6, 6));
  WaitForPictures();
  EXPECT_EQ(view_->grab().toImage().pixel(At(3, 2)), WorldView::kMissingColour);
  QTest::mouseMove(view_, At(3, 2));
  EXPECT_TRUE(dock_->HoverLabel()->text().endsWith("(no file)"))
      << dock_->HoverLabel()->text().toStdString();
}

}  // namespace
}  // namespace hl

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <map>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "app/ui/TFrmMain.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"
#include "view/TestLibraries.h"
#include "view/ui/OverviewDock.h"

namespace hl {
namespace {

class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    w_ = std::make_unique<TFrmMain>(16, dir_.Path(), &q_);
    w_->resize(1000, 700);
    w_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w_.get()));
    QApplication::setActiveWindow(w_.get());
    view_ = w_->MapView();
    view_->SetZoom(100);
    view_->setFocus();
  }
  void TearDown() override { w_.reset(); }
  OverviewView* ShowOverview() {
    QAction* toggle = w_->findChild<QAction*>("Overview1");
    EXPECT_NE(toggle, nullptr);
    auto* dock = w_->findChild<OverviewDock*>("OverviewDock");
    EXPECT_FALSE(dock->isVisible());  // hidden at start
    toggle->trigger();
    EXPECT_TRUE(dock->isVisible());
    EXPECT_EQ(w_->dockWidgetArea(dock), Qt::RightDockWidgetArea);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dock->View()));
    dock->View()->Refresh();
    return dock->View();
  }
  QPoint Scroll() { return view_->ScrollPosition(); }
  // A mouse event on the map's surface with the buttons given, as the window system sends it.
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget* surface = view_->viewport();
    QMouseEvent e(type, at, surface->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(surface, &e);
  }

  test::TempDir dir_;
  test::ScriptedQuestions q_;
  std::unique_ptr<TFrmMain> w_;
  TMapView* view_ = nullptr;
};

TEST_F(NavigationTest, OverviewFramesTheViewAndAClickCentresItThere) {
  OverviewView* overview = ShowOverview();
  // The whole 200 x 200 map within the dock, at its proportions.
  const QRect picture = overview->PictureRect();
  EXPECT_TRUE(overview->rect().contains(picture));
  EXPECT_NEAR(1.0 * picture.width() / picture.height(), 9600.0 / 6400.0, 0.02);

  const QPointF middle = overview->WidgetPoint({100 * 48, 100 * 32});
  QTest::mouseClick(overview, Qt::LeftButton, {}, middle.toPoint());
  const QPointF centre = view_->VisibleZoomOne().center();
  const double pixel = 9600.0 / picture.width();  // a widget pixel in pixels at zoom 1
  EXPECT_NEAR(centre.x(), 100 * 48, 2 * pixel);
  EXPECT_NEAR(centre.y(), 100 * 32, 2 * pixel);
  EXPECT_TRUE(overview->ViewFrame().contains(middle));
  // A drag past the corner stops at the map's edge.
  QTest::mousePress(overview, Qt::LeftButton, {}, middle.toPoint());
  QMouseEvent drag(QEvent::MouseMove, QPointF(-50, -50), overview->mapToGlobal(QPointF(-50, -50)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(overview, &drag);
  QTest::mouseRelease(overview, Qt::LeftButton, {}, QPoint(-50, -50));
  EXPECT_EQ(Scroll(), QPoint(0, 0));
  EXPECT_EQ(overview->ViewFrame().topLeft(), QPointF(picture.topLeft()));
}

TEST_F(NavigationTest, OverviewShowsACellChangeAfterItsUpdate) {
  OverviewView* overview = ShowOverview();
  const int before = overview->Picture().WholeDraws();
  const QPoint at =
      (overview->WidgetPoint({101 * 48, 61 * 32}) - QPointF(overview->PictureRect().topLeft()))
          .toPoint();
  const QRgb empty = overview->Picture().Image().pixel(at);
  for (int x = 100; x < 104; x += 2)
    for (int y = 60; y < 64; y += 2) w_->Document().SetBackTileBlock(x, y, 4);
  EXPECT_EQ(overview->Picture().Image().pixel(at), empty);  // not before its update
  overview->Refresh();
  EXPECT_EQ(overview->Picture().Image().pixel(at), test::Drawn(test::TileColour(3)));
  EXPECT_EQ(overview->Picture().WholeDraws(), before);
  EXPECT_EQ(overview->Picture().PartialDraws(), 1);
}

TEST_F(NavigationTest, OverviewOutlinesTheNineSegmentsOfASegmentWindow) {
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) {
      MapDocument segment;
      ASSERT_TRUE(SaveSegment(segment, dir_.File(SegmentName("W", c, r) + ".sem"), 0, 0));
    }
  ASSERT_TRUE(WriteProject(dir_.File("world.mp"), {"W", 3, 3}));
  OverviewView* overview = ShowOverview();
  // Whether a segment line passes within a pixel of the cell's corner.
  auto lineAt = [&](int cellX, int cellY) {
    const QImage shown = overview->grab().toImage();
    const QPoint at = overview->WidgetPoint({cellX * 48.0, cellY * 32.0}).toPoint();
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        if (shown.pixel(at + QPoint(dx, dy)) == OverviewView::kSegmentColour) return true;
    return false;
  };
  EXPECT_FALSE(lineAt(80, 100));
  w_->SegmentUnit()->OpenProjectFile(dir_.File("world.mp"));
  w_->SegmentUnit()->EditAround(1, 1);
  ASSERT_TRUE(w_->Commands().SegmentMode());
  overview->Refresh();
  // The picture is the 120 x 120 window; lines at 40 and 80 cells both ways.
  EXPECT_TRUE(lineAt(80, 100));
  EXPECT_TRUE(lineAt(100, 40));
  EXPECT_FALSE(lineAt(60, 100));
  EXPECT_FALSE(lineAt(100, 60));
}

TEST_F(NavigationTest, ArrowPageHomeAndEndKeysScroll) {
  QScrollBar* h = view_->horizontalScrollBar();
  QScrollBar* v = view_->verticalScrollBar();
  QTest::keyClick(view_, Qt::Key_Right);
  QTest::keyClick(view_, Qt::Key_Down);
  EXPECT_EQ(Scroll(), QPoint(192, 128));  // four cells at zoom 1
  QTest::keyClick(view_, Qt::Key_PageDown);
  EXPECT_EQ(Scroll().y(), 128 + view_->viewport()->height());
  QTest::keyClick(view_, Qt::Key_End);
  EXPECT_EQ(Scroll(), QPoint(h->maximum(), 128 + view_->viewport()->height()));
  QTest::keyClick(view_, Qt::Key_Home);
  EXPECT_EQ(Scroll().x(), 0);
  QTest::keyClick(view_, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Scroll(), QPoint(h->maximum(), v->maximum()));
  QTest::keyClick(view_, Qt::Key_PageUp);
  EXPECT_EQ(Scroll().y(), v->maximum() - view_->viewport()->height());
  QTest::keyClick(view_, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(Scroll(), QPoint(0, 0));
  QTest::keyClick(view_, Qt::Key_Left);  // at the edge already
  EXPECT_EQ(Scroll(), QPoint(0, 0));
}

TEST_F(NavigationTest, MiddleAndSpaceDragsPanWithoutReachingTheTools) {
  // The eraser takes any button: a press that reached it would remove the object.
  w_->Document().SetObject(5, 5, 1);
  w_->findChild<QAction*>("SpeedButton5")->trigger();
  view_->horizontalScrollBar()->setValue(400);
  view_->verticalScrollBar()->setValue(300);
  const QPoint onObject(5 * 48 + 10, 5 * 32 + 10);  // in the view scrolled to (0, 0)
  Mouse(QEvent::MouseButtonPress, {300, 200}, Qt::MiddleButton, Qt::MiddleButton);
  Mouse(QEvent::MouseMove, {250, 170}, Qt::NoButton, Qt::MiddleButton);
  Mouse(QEvent::MouseMove, {200, 100}, Qt::NoButton, Qt::MiddleButton);
  Mouse(QEvent::MouseButtonRelease, {200, 100}, Qt::MiddleButton, Qt::NoButton);
  EXPECT_EQ(Scroll(), QPoint(500, 400));
  EXPECT_FALSE(view_->Panning());

  // Space held: the open hand, a left drag pans under the closed hand.
  view_->horizontalScrollBar()->setValue(0);
  view_->verticalScrollBar()->setValue(0);
  QTest::keyPress(view_, Qt::Key_Space);
  EXPECT_EQ(view_->viewport()->cursor().shape(), Qt::OpenHandCursor);
  Mouse(QEvent::MouseButtonPress, onObject, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(view_->viewport()->cursor().shape(), Qt::ClosedHandCursor);
  Mouse(QEvent::MouseMove, onObject - QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, onObject - QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
  QTest::keyRelease(view_, Qt::Key_Space);
  EXPECT_EQ(view_->viewport()->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(Scroll(), QPoint(30, 20));

  EXPECT_EQ(w_->Document().GetObject(5, 5), 0);
  EXPECT_EQ(w_->Document().UndoCount(), 0);
  EXPECT_FALSE(w_->Commands().Modified());
  // Without Space the same press is the eraser's; a middle press during its stroke neither
  // pans nor erases.
  w_->Document().SetObject(6, 5, 1);
  const QPoint nextObject = onObject - QPoint(30, 20) + QPoint(48, 0);
  Mouse(QEvent::MouseButtonPress, onObject - QPoint(30, 20), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonPress, nextObject, Qt::MiddleButton, Qt::LeftButton | Qt::MiddleButton);
  EXPECT_FALSE(view_->Panning());
  Mouse(QEvent::MouseButtonRelease, nextObject, Qt::MiddleButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, nextObject, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(w_->Document().GetObject(5, 5), -1);
  EXPECT_EQ(w_->Document().GetObject(6, 5), 0);
  EXPECT_EQ(Scroll(), QPoint(30, 20));
}

TEST_F(NavigationTest, ToolAndLayerKeysChooseAndShowButNotInTextFields) {
  QTest::keyClick(view_, Qt::Key_O);
  EXPECT_EQ(w_->Tools().ToolMode, ToolMode::DrawObjects);
  EXPECT_TRUE(w_->findChild<QAction*>("DrawObject1")->isChecked());
  QTest::keyClick(view_, Qt::Key_M);
  EXPECT_EQ(w_->Tools().ToolMode, ToolMode::DrawSmTiles);
  EXPECT_FALSE(w_->findChild<QAction*>("DrawObject1")->isChecked());
  QTest::keyClick(view_, Qt::Key_B, Qt::ShiftModifier);
  EXPECT_EQ(w_->LayerMode(), LayerMode::Big);
  EXPECT_TRUE(w_->findChild<QAction*>("SpeedButton1")->isChecked());
  QTest::keyClick(view_, Qt::Key_3);
  EXPECT_EQ(w_->LayerMode(), LayerMode::Eraser);
  EXPECT_TRUE(w_->findChild<QAction*>("SpeedButton5")->isChecked());
  EXPECT_EQ(w_->findChild<QAction*>("SpeedButton1")->toolTip(), "Layer \"Big\" (Shift+B)");

  // Every key of the window means one thing: Qt fires neither of two actions sharing one.
  std::map<QString, QString> owner;
  for (QAction* a : w_->findChildren<QAction*>()) {
    for (const QKeySequence& k : a->shortcuts()) {
      const auto [it, fresh] = owner.emplace(k.toString(), a->objectName());
      EXPECT_TRUE(fresh) << k.toString().toStdString() << ": " << it->second.toStdString()
                         << " and " << a->objectName().toStdString();
    }
  }

  // Text fields keep their letters and digits, in a dock of the window or in a tool window.
  auto* edit = new QLineEdit(w_.get());
  auto* spin = new QSpinBox(w_.get());
  w_->statusBar()->addWidget(edit);
  w_->statusBar()->addWidget(spin);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_B);
  QTest::keyClick(edit, Qt::Key_S, Qt::ShiftModifier);
  spin->setFocus();
  spin->selectAll();
  QTest::keyClick(spin, Qt::Key_2);
  EXPECT_EQ(edit->text().toLower(), "bs");
  EXPECT_EQ(spin->value(), 2);
  EXPECT_EQ(w_->Tools().ToolMode, ToolMode::DrawSmTiles);
  EXPECT_EQ(w_->LayerMode(), LayerMode::Eraser);
  w_->findChild<QAction*>("NewSegmentMap1")->trigger();
  QLineEdit* ident = w_->SegmentUnit()->EdIdent;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w_->SegmentUnit()));
  QApplication::setActiveWindow(w_->SegmentUnit());
  ident->setFocus();
  ident->selectAll();
  QTest::keyClick(ident, Qt::Key_D);
  EXPECT_EQ(ident->text().toUpper(), "D");
  EXPECT_EQ(w_->Tools().ToolMode, ToolMode::DrawSmTiles);
}

}  // namespace
}  // namespace hl

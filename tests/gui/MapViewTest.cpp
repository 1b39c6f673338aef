#include <gtest/gtest.h>

#include <QScrollBar>
#include <memory>
#include <random>
#include <sstream>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "cli/CommandSupport.h"
#include "tools/ToolDispatch.h"
#include "view/TestLibraries.h"
#include "view/ZoomSteps.h"
#include "view/ui/TMapView.h"

namespace hl {
namespace {

class MapViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    libs_.Open(LibraryFormat::Data, dir_.Path());
    view_ = std::make_unique<TMapView>(*doc_, libs_);
    view_->resize(800, 593);
  }
  QImage FullRepaint() {
    MapRenderer r(*doc_, libs_);
    r.SetZoom(view_->Zoom());
    r.SetFont(view_->font());
    const QImage& backing = view_->Backing();
    QImage image(backing.size(), QImage::Format_RGB32);
    const QPoint origin = view_->ScrollPosition();
    r.PaintMap(
        image, origin, QRect(origin, image.size()),
        {origin.x(), origin.y(), view_->frameGeometry().width(), view_->frameGeometry().height()});
    return image;
  }
  test::TempDir dir_;
  LibrarySet libs_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  std::unique_ptr<TMapView> view_;
};

TEST_F(MapViewTest, NamesAndStartUpState) {
  EXPECT_EQ(view_->objectName(), "MainScroll");
  EXPECT_EQ(view_->viewport()->objectName(), "MapPaint");
  EXPECT_EQ(view_->Zoom(), 40);
  EXPECT_EQ(view_->ZoomLabelText(), "100:40");
  const QSize viewport = view_->viewport()->size();
  EXPECT_EQ(view_->horizontalScrollBar()->maximum(), 3841 - viewport.width());
  EXPECT_EQ(view_->verticalScrollBar()->maximum(), 2561 - viewport.height());
}

TEST_F(MapViewTest, ZoomButtonsStepAndResizeTheSurface) {
  int signalled = 0;
  QObject::connect(view_.get(), &TMapView::ZoomChanged, [&](int) { ++signalled; });
  view_->ZoomOutClick();  // "In"
  EXPECT_EQ(view_->Zoom(), 60);
  EXPECT_EQ(view_->horizontalScrollBar()->singleStep(), 115);  // Round(115.2)
  EXPECT_EQ(view_->verticalScrollBar()->singleStep(), 77);     // Round(76.8)
  view_->ZoomInClick();                                        // "Out"
  view_->ZoomInClick();
  EXPECT_EQ(view_->Zoom(), 20);
  EXPECT_EQ(view_->ZoomLabelText(), "100:20");
  EXPECT_EQ(signalled, 3);
}

TEST_F(MapViewTest, EditsRedrawWhatAFullRepaintShows) {
  view_->SetZoom(100);
  view_->horizontalScrollBar()->setValue(48 * 3);
  doc_->SetBackTile(4, 4, 2);
  ASSERT_EQ(view_->Backing(), FullRepaint());
  // An object placed under a tile stroke stays visible.
  doc_->SetObject(6, 7, 2);
  view_->RedrawCellObject(6, 7);
  doc_->SetBackTileBlock(6, 6, 4);
  view_->RedrawCells(6, 6, 1, 1);
  EXPECT_EQ(view_->Backing(), FullRepaint());
}

TEST_F(MapViewTest, HoverSurvivesRedrawsAndIsGoneAfterARepaint) {
  view_->SetZoom(100);
  view_->DrawHover(2, 2, false);
  EXPECT_TRUE(view_->HoverShown());
  // Drawn over the map, never into the image of it.
  EXPECT_EQ(view_->Backing(), FullRepaint());
  doc_->SetMiddleTile(2, 2, 3);
  view_->RedrawCells(2, 2, 0, 0);
  EXPECT_TRUE(view_->HoverShown());
  view_->DrawHover(2, 2, false);  // removed again
  EXPECT_FALSE(view_->HoverShown());
  EXPECT_EQ(view_->Backing(), FullRepaint());
  view_->DrawHover(3, 3, false);
  view_->Repaint();
  EXPECT_EQ(view_->Backing(), FullRepaint());
  EXPECT_FALSE(view_->HoverShown());
}

// Equal images, or where the first pixel differs.
::testing::AssertionResult SamePixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return ::testing::AssertionFailure() << "the sizes differ";
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) {
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                             << a.pixel(x, y) << ", not " << b.pixel(x, y);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Strokes through the tool dispatch over the demo art, redrawn by the view as the editor
// redraws them, against a full repaint of the same state.
class MapViewStrokeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<test::TempDir>();
    std::ostringstream out;
    const SaveResult written = cli::WriteDemoLibraries(folder_->Path(), "data", out);
    ASSERT_TRUE(written) << written.Message();
  }
  static void TearDownTestSuite() {
    folder_.reset();
  }
  void SetUp() override {
    libs_.Open(LibraryFormat::Data, folder_->Path());
    ASSERT_GT(libs_.Tiles().ImageCount, 0);
    // Plain ground of the first group everywhere, so that every pixel of the map is a tile's.
    std::mt19937 rng(3);
    for (int x = 0; x < doc_->MapWidth(); x += kBigTileStep) {
      for (int y = 0; y < doc_->MapHeight(); y += kBigTileStep)
        doc_->SetBackTile(x, y, static_cast<int>(rng() % 5) + 1);
    }
    // The cells drawn follow the main window's outer size, which holds the view and more.
    window_.resize(900, 700);
    view_ = std::make_unique<TMapView>(*doc_, libs_, &window_);
    view_->resize(700, 500);
    window_.show();
    view_->SetOptions({true, true, true, true, true});
    feedback_.View = view_.get();
    // The view is the dispatch's redraw sink, as in the main window.
    dispatch_ =
        std::make_unique<ToolDispatch>(*doc_, tools_, *view_, random_, feedback_, questions_);
  }
  QImage FullRepaint() {
    MapRenderer r(*doc_, libs_);
    r.SetZoom(view_->Zoom());
    r.SetFont(view_->font());
    r.SetOptions(view_->Options());
    const QImage& backing = view_->Backing();
    QImage image(backing.size(), QImage::Format_RGB32);
    const QPoint origin = view_->ScrollPosition();
    const QSize outer = window_.frameGeometry().size();
    r.PaintMap(image, origin, QRect(origin, image.size()),
               {origin.x(), origin.y(), outer.width(), outer.height()});
    return image;
  }
  // Pixels of the map in the view that show the white surface: seams between tiles, since
  // every even cell holds an opaque big tile.
  int WhiteInsideTheMap() {
    const QImage& backing = view_->Backing();
    const QRect map = CellSpan(ZoomScale(view_->Zoom()), 0, 0, doc_->MapWidth(), doc_->MapHeight())
                          .translated(-view_->ScrollPosition()) &
                      backing.rect();
    int white = 0;
    for (int y = map.top(); y <= map.bottom(); ++y) {
      for (int x = map.left(); x <= map.right(); ++x)
        white += backing.pixel(x, y) == MapRenderer::kSurfaceColour;
    }
    return white;
  }
  // A drag with the left button from one viewport pixel to another, as the mouse sends it.
  void Stroke(QPoint from, QPoint to, MouseState held) {
    const QPoint scroll = view_->ScrollPosition();
    const int z = view_->Zoom();
    held.Left = true;
    dispatch_->Press(scroll.x() + from.x(), scroll.y() + from.y(), z, MouseButton::Left, held);
    for (int i = 1; i <= 12; ++i) {
      const QPoint p = scroll + from + (to - from) * i / 12;
      dispatch_->Move(p.x(), p.y(), z, held);
    }
  }

  struct Feedback : DispatchFeedback {
    TMapView* View = nullptr;
    void EraseHover() override { View->EraseHover(); }
    void ShowHover(const ClickArea& a) override {
      View->DrawHover({a.Cells.X0, a.Cells.Y0, a.Cells.Width(), a.Cells.Height(), false});
    }
    void SetCoordinateLabel(const std::string&) override {}
    void SetModified() override {}
  };

  static std::unique_ptr<test::TempDir> folder_;
  LibrarySet libs_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  QWidget window_;
  std::unique_ptr<TMapView> view_;
  ToolState tools_;
  ToolRandom random_{11};
  Feedback feedback_;
  test::ScriptedQuestions questions_;
  std::unique_ptr<ToolDispatch> dispatch_;
};
std::unique_ptr<test::TempDir> MapViewStrokeTest::folder_;

TEST_F(MapViewStrokeTest, StrokesRedrawWhatAFullRepaintShowsAtEveryZoomStep) {
  for (int zoom : test::ButtonZoomSteps()) {
    SCOPED_TRACE(zoom);
    view_->SetZoom(zoom);
    // Somewhere inside the map, off the cell grid.
    view_->horizontalScrollBar()->setValue(view_->horizontalScrollBar()->maximum() / 3 + 1);
    view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum() / 4 + 1);
    ASSERT_TRUE(SamePixels(view_->Backing(), FullRepaint()));
    ASSERT_EQ(WhiteInsideTheMap(), 0);
    const QImage before = view_->Backing().copy();
    const QSize v = view_->viewport()->size();
    const QPoint a(v.width() / 5 + 3, v.height() / 4 + 1), b(v.width() * 3 / 5, v.height() * 2 / 3);

    // Water blocks dragged with Ctrl, their edges rewritten around them.
    tools_.ToolMode = ToolMode::DrawBigTiles;
    tools_.LayerMode = LayerMode::Big;
    tools_.SetBigTileGroup(2);
    Stroke(a, b, {false, false, true});
    view_->EraseHover();
    ASSERT_NE(view_->Backing(), before);
    ASSERT_TRUE(SamePixels(view_->Backing(), FullRepaint())) << "big tiles";

    // A path of small tiles across them.
    tools_.ToolMode = ToolMode::DrawSmTiles;
    tools_.SetSmallTileGroup(0);
    Stroke(QPoint(b.x(), a.y()), QPoint(a.x(), b.y()), {false, false, true});
    view_->EraseHover();
    ASSERT_TRUE(SamePixels(view_->Backing(), FullRepaint())) << "small tiles";

    // Objects, some reaching up over the rows above, then marks brushed 5 x 5.
    tools_.ToolMode = ToolMode::DrawObjects;
    for (int i = 0; i < 6; ++i) {
      tools_.ObjectSelection = ObjectIndex::Make(i % 2, 3 * i + 1);
      Stroke(a + QPoint(i * v.width() / 9, i * 7), a + QPoint(i * v.width() / 9, i * 7), {});
    }
    tools_.LayerMode = LayerMode::MarkBrush;
    Stroke(b, a, {true, false, false});
    view_->EraseHover();
    ASSERT_TRUE(SamePixels(view_->Backing(), FullRepaint())) << "objects and marks";

    // The eraser, 3 x 3 with Ctrl.
    tools_.LayerMode = LayerMode::Eraser;
    Stroke(a, QPoint(b.x(), a.y()), {false, false, true});
    view_->EraseHover();
    ASSERT_TRUE(SamePixels(view_->Backing(), FullRepaint())) << "eraser";
    EXPECT_EQ(WhiteInsideTheMap(), 0);
  }
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

TEST(FitZoomTest, TheLargestButtonStepThatShowsTheWholeMap) {
  // 20 x 10 cells at 1.2: 1153 x 385 pixels with the border; at 1.4 they no longer fit 1200.
  EXPECT_EQ(FitZoom(20, 10, QSize(1200, 800)), 120);
  EXPECT_EQ(FitZoom(20, 10, QSize(1153, 385)), 120);  // exactly
  EXPECT_EQ(FitZoom(20, 10, QSize(1152, 800)), 100);
  EXPECT_EQ(FitZoom(1, 1, QSize(4000, 4000)), kMaxZoom);
  EXPECT_EQ(FitZoom(999, 999, QSize(1200, 800)), kMinZoom);  // nothing fits: the smallest
  // Between the small steps of five hundredths too.
  EXPECT_EQ(FitZoom(200, 100, QSize(1500, 700)), 15);
}

TEST_F(MapViewTest, TheGridDrawsOverTheMapWhereCellsAreLargeEnough) {
  doc_->SetMapSize(40, 30);
  view_->show();
  view_->SetZoom(100);
  auto grab = [&] { return view_->viewport()->grab().toImage(); };
  const QImage plain = grab();
  view_->SetGrid(true);
  const QImage gridded = grab();
  // Block edges darker than cell edges, cell insides untouched, and the map itself unchanged.
  const QRgb block = gridded.pixel(96, 10), cell = gridded.pixel(48, 10);
  EXPECT_LT(qGray(block), qGray(cell));
  EXPECT_LT(qGray(cell), qGray(plain.pixel(48, 10)));
  EXPECT_EQ(gridded.pixel(60, 10), plain.pixel(60, 10));
  EXPECT_EQ(view_->Backing(), FullRepaint());
  view_->SetZoom(20);  // cells of six pixels: no grid
  const QImage small = grab();
  view_->SetGrid(false);
  EXPECT_EQ(small, grab());
}

}  // namespace
}  // namespace hl

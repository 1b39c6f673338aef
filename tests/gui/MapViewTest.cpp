#include <gtest/gtest.h>

#include <QScrollBar>
#include <memory>

#include "TempDir.h"
#include "view/TestLibraries.h"
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
  const QImage plain = view_->Backing().copy();
  view_->DrawHover(2, 2, false);
  EXPECT_TRUE(view_->HoverShown());
  EXPECT_NE(view_->Backing(), plain);
  doc_->SetMiddleTile(2, 2, 3);
  view_->RedrawCells(2, 2, 0, 0);
  view_->DrawHover(2, 2, false);  // removed again
  EXPECT_FALSE(view_->HoverShown());
  EXPECT_EQ(view_->Backing(), FullRepaint());
  view_->DrawHover(3, 3, false);
  view_->Repaint();
  EXPECT_EQ(view_->Backing(), FullRepaint());
  EXPECT_FALSE(view_->HoverShown());
}

}  // namespace
}  // namespace hl

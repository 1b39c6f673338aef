#pragma once

#include <QDockWidget>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "view/OverviewPicture.h"
#include "view/ui/TMapView.h"

namespace hl {

// The whole map drawn small, with the map view's visible part framed. A click or a drag
// centres the view on the point under the pointer. In a segment window the nine segments are
// outlined. The picture follows edits a few times a second while it is shown, drawing again
// only the cells that changed.
class OverviewView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRefreshMs = 200;
  static constexpr QRgb kBackgroundColour = 0xFF3A3C3Eu;
  static constexpr QRgb kFrameColour = 0xFFFFD21Eu;
  static constexpr QRgb kSegmentColour = 0xFF30C8FFu;

  // `segmentWindow` says whether the map is a segment window (outlined as its segments).
  OverviewView(const MapDocument& doc, LibrarySet& libraries, TMapView& view,
               std::function<bool()> segmentWindow, QWidget* parent = nullptr);

  // Brings the picture up to the document now; the timer does it while the view is shown.
  void Refresh();
  OverviewPicture& Picture() { return picture_; }
  // Where the picture stands in the widget.
  QRect PictureRect() const;
  // The widget pixel of a map point in pixels at zoom 1.
  QPointF WidgetPoint(QPointF zoomOnePoint) const;
  // The frame of the map view's visible part, in widget pixels.
  QRectF ViewFrame() const;
  QSize sizeHint() const override { return {260, 200}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void CentreViewAt(QPointF widgetPixel);

  OverviewPicture picture_;
  TMapView& view_;
  std::function<bool()> segmentWindow_;
  bool showedSegments_ = false;
  bool dragging_ = false;
  QTimer* refresh_;
  // A resize fits the picture again once the size has settled.
  QTimer* refit_;
};

// The "Overview" dock of the main window, on the right and hidden at start; its View menu
// item is its toggle action, "Overview1".
class OverviewDock : public QDockWidget {
 public:
  OverviewDock(const MapDocument& doc, LibrarySet& libraries, TMapView& view,
               std::function<bool()> segmentWindow, QWidget* parent);

  OverviewView* View() { return view_; }

 private:
  OverviewView* view_;
};

}  // namespace hl

#include "view/ui/OverviewDock.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "segments/SegmentProject.h"

namespace hl {

OverviewView::OverviewView(const MapDocument& doc, LibrarySet& libraries, TMapView& view,
                           std::function<bool()> segmentWindow, QWidget* parent)
    : QWidget(parent),
      picture_(doc, libraries),
      view_(view),
      segmentWindow_(std::move(segmentWindow)),
      refresh_(new QTimer(this)),
      refit_(new QTimer(this)) {
  setObjectName("OverviewView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(60, 60);
  setCursor(Qt::PointingHandCursor);
  connect(refresh_, &QTimer::timeout, this, &OverviewView::Refresh);
  refit_->setSingleShot(true);
  refit_->setInterval(120);
  connect(refit_, &QTimer::timeout, this, &OverviewView::Refresh);
  // Scrolling and zooming move only the frame: the picture stays as it is.
  connect(&view_, &TMapView::VisibleAreaChanged, this, qOverload<>(&QWidget::update));
}

void OverviewView::Refresh() {
  picture_.FitTo(size());
  const bool segments = segmentWindow_ && segmentWindow_();
  const bool changed = !picture_.Update().empty();
  if (changed || segments != showedSegments_) update();
  showedSegments_ = segments;
}

QRect OverviewView::PictureRect() const {
  const QSize s = picture_.Image().size();
  return QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
}

QPointF OverviewView::WidgetPoint(QPointF zoomOnePoint) const {
  return QPointF(PictureRect().topLeft()) + zoomOnePoint * picture_.Ratio();
}

QRectF OverviewView::ViewFrame() const {
  const QRectF visible = view_.VisibleZoomOne();
  return QRectF(WidgetPoint(visible.topLeft()), WidgetPoint(visible.bottomRight())) &
         QRectF(PictureRect());
}

void OverviewView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor::fromRgb(kBackgroundColour));
  const QRect at = PictureRect();
  p.drawImage(at.topLeft(), picture_.Image());
  if (segmentWindow_ && segmentWindow_()) {
    // The window's segments, each kSegmentSide cells square, with the window's own edge.
    p.setPen(QPen(QColor::fromRgb(kSegmentColour), 1));
    for (int i = 0; i <= kWindowSegments; ++i) {
      const QPointF a = WidgetPoint(QPointF(1.0 * i * kSegmentSide * kCellWidth, 0));
      const QPointF b = WidgetPoint(QPointF(1.0 * i * kSegmentSide * kCellWidth,
                                            1.0 * kWindowSegments * kSegmentSide * kCellHeight));
      p.drawLine(a, b);
      const QPointF c = WidgetPoint(QPointF(0, 1.0 * i * kSegmentSide * kCellHeight));
      const QPointF d = WidgetPoint(QPointF(1.0 * kWindowSegments * kSegmentSide * kCellWidth,
                                            1.0 * i * kSegmentSide * kCellHeight));
      p.drawLine(c, d);
    }
  }
  QRectF frame = ViewFrame();
  if (frame.isEmpty()) return;
  // However small the view's part, the frame stays visible.
  if (frame.width() < 4) frame.adjust(-(4 - frame.width()) / 2, 0, (4 - frame.width()) / 2, 0);
  if (frame.height() < 4) frame.adjust(0, -(4 - frame.height()) / 2, 0, (4 - frame.height()) / 2);
  // Dark under light: the frame shows on any ground.
  p.setPen(QPen(QColor(0, 0, 0, 160), 3));
  p.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
  p.setPen(QPen(QColor::fromRgb(kFrameColour), 1));
  p.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
}

void OverviewView::CentreViewAt(QPointF widgetPixel) {
  const QRectF picture(PictureRect());
  if (picture.isEmpty()) return;
  // A drag beyond the picture holds the view at its edge.
  const QPointF inside(std::clamp(widgetPixel.x(), picture.left(), picture.right()),
                       std::clamp(widgetPixel.y(), picture.top(), picture.bottom()));
  view_.CentreOn(picture_.ToZoomOne(inside - picture.topLeft()));
}

void OverviewView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  CentreViewAt(event->position());
}

void OverviewView::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) CentreViewAt(event->position());
}

void OverviewView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
}

void OverviewView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) refit_->start();
}

void OverviewView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
  refresh_->start(kRefreshMs);
}

void OverviewView::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A hidden overview costs nothing, not even the columns its copy of the cells would keep;
  // it is drawn whole when shown again.
  refresh_->stop();
  refit_->stop();
  picture_.Invalidate();
}

OverviewDock::OverviewDock(const MapDocument& doc, LibrarySet& libraries, TMapView& view,
                           std::function<bool()> segmentWindow, QWidget* parent)
    : QDockWidget("Overview", parent),
      view_(new OverviewView(doc, libraries, view, std::move(segmentWindow), this)) {
  setObjectName("OverviewDock");
  toggleViewAction()->setObjectName("Overview1");
  setWidget(view_);
}

}  // namespace hl

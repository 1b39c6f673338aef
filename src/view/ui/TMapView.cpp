#include "view/ui/TMapView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace hl {

TMapView::TMapView(const MapDocument& doc, LibrarySet& libraries, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), renderer_(doc, libraries) {
  setObjectName("MainScroll");
  viewport()->setObjectName("MapPaint");
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(true);
  renderer_.SetFont(font());
  renderer_.SetTextColour(palette().color(QPalette::WindowText));
  SizeView();
  // The keys go to whichever widget has the focus; the view only listens.
  qApp->installEventFilter(this);
}

void TMapView::SetZoom(int hundredths) {
  renderer_.SetZoom(hundredths);
  SizeView();
  const QSize step = ScrollStep(hundredths);
  horizontalScrollBar()->setSingleStep(step.width());
  verticalScrollBar()->setSingleStep(step.height());
  Repaint();
  emit ZoomChanged(hundredths);
}

void TMapView::ZoomInClick() {
  SetZoom(ZoomOutStep(Zoom()));
}
void TMapView::ZoomOutClick() {
  SetZoom(ZoomInStep(Zoom()));
}
QString TMapView::ZoomLabelText() const {
  return QString::fromStdString(ZoomLabel(Zoom()));
}

void TMapView::SetOptions(const ViewOptions& options) {
  renderer_.SetOptions(options);
  Repaint();
}

void TMapView::SizeView() {
  const QSize surface = renderer_.Surface();
  const QSize view = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, surface.width() - view.width()));
  verticalScrollBar()->setRange(0, std::max(0, surface.height() - view.height()));
  horizontalScrollBar()->setPageStep(view.width());
  verticalScrollBar()->setPageStep(view.height());
  Repaint();
  emit VisibleAreaChanged();
}

void TMapView::Repaint() {
  stale_ = true;
  pending_ = QRect();
  viewport()->update();
}

QPoint TMapView::ScrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

ViewFrame TMapView::Frame() const {
  // The visible window of cells follows the main window's outer size.
  const QSize outer = window()->frameGeometry().size();
  const QPoint scroll = ScrollPosition();
  return {scroll.x(), scroll.y(), outer.width(), outer.height()};
}

void TMapView::EnsureBacking() {
  const QPoint origin = ScrollPosition();
  if (!stale_ && backing_.size() == viewport()->size() && backingOrigin_ == origin) return;
  if (backing_.size() != viewport()->size()) {
    backing_ = QImage(viewport()->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  }
  backingOrigin_ = origin;
  renderer_.PaintMap(backing_, origin, QRect(origin, backing_.size()), Frame());
  stale_ = false;
  pending_ = QRect();
  hover_.reset();  // a repaint wipes the outline
}

void TMapView::FlushPending() {
  if (pending_.isNull()) return;
  const QRect area = pending_ & QRect(backingOrigin_, backing_.size());
  pending_ = QRect();
  if (area.isEmpty()) return;
  renderer_.RedrawArea(backing_, backingOrigin_, area, Frame());
}

const QImage& TMapView::Backing() {
  EnsureBacking();
  FlushPending();
  return backing_;
}

void TMapView::paintEvent(QPaintEvent* event) {
  EnsureBacking();
  FlushPending();
  QPainter painter(viewport());
  painter.drawImage(event->rect(), backing_, event->rect());
  auto dashed = [&](const QRect& cells) {
    const QRect r = ViewportRect(cells).adjusted(1, 1, -2, -2);
    // White under black dashes: the line shows on dark ground and on light.
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(r);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(r);
  };
  if (grid_ && GridShows(Zoom())) {
    // Lines only across the repainted part; each cell's top and left edge.
    const QRect area = event->rect();
    const QPoint scroll = ScrollPosition();
    const ScaleFactor scale = ZoomScale(Zoom());
    const int x0 = static_cast<int>(TruncDiv(1LL * (area.left() + scroll.x()) * scale.Den,
                                             1LL * kCellWidth * scale.Num));
    const int y0 = static_cast<int>(TruncDiv(1LL * (area.top() + scroll.y()) * scale.Den,
                                             1LL * kCellHeight * scale.Num));
    const QSize surface = renderer_.Surface();
    const QColor cell(0, 0, 0, 40), block(0, 0, 0, 110);
    for (int x = x0;; ++x) {
      const int px = renderer_.CellLeft(x) - scroll.x();
      if (px > area.right() || px + scroll.x() >= surface.width() - 1) break;
      painter.setPen(x % kBigTileStep == 0 ? block : cell);
      painter.drawLine(px, area.top(), px, area.bottom());
    }
    for (int y = y0;; ++y) {
      const int py = renderer_.CellTop(y) - scroll.y();
      if (py > area.bottom() || py + scroll.y() >= surface.height() - 1) break;
      painter.setPen(y % kBigTileStep == 0 ? block : cell);
      painter.drawLine(area.left(), py, area.right(), py);
    }
  }
  if (floating_) {
    painter.setOpacity(0.75);
    painter.drawImage(ViewportRect(*floating_).topLeft() + QPoint(1, 1), floatingPicture_);
    painter.setOpacity(1);
    dashed(*floating_);
  }
  if (outline_) dashed(*outline_);
  if (hover_) {
    const QPoint scroll = ScrollPosition();
    for (const QRect& r : HoverRectangles(*hover_, ZoomScale(Zoom()), footprint_))
      DrawHoverRect(painter, r.translated(-scroll));
  }
}

void TMapView::SetGrid(bool on) {
  if (grid_ == on) return;
  grid_ = on;
  viewport()->update();
}

QRect TMapView::ViewportRect(const QRect& cells) const {
  const QPoint scroll = ScrollPosition();
  const int left = renderer_.CellLeft(cells.left()) - scroll.x();
  const int top = renderer_.CellTop(cells.top()) - scroll.y();
  const int right = renderer_.CellLeft(cells.left() + cells.width()) - scroll.x();
  const int bottom = renderer_.CellTop(cells.top() + cells.height()) - scroll.y();
  return QRect(QPoint(left - 1, top - 1), QPoint(right, bottom));
}

void TMapView::UpdateCells(const std::optional<QRect>& cells) {
  if (cells) viewport()->update(ViewportRect(*cells));
}

void TMapView::SetOverlay(std::optional<QRect> outline, std::optional<QRect> floating,
                          const QImage& picture) {
  const bool samePicture = picture.cacheKey() == floatingPicture_.cacheKey();
  if (outline == outline_ && floating == floating_ && samePicture) return;
  UpdateCells(outline_);
  UpdateCells(floating_);
  outline_ = outline;
  floating_ = floating;
  floatingPicture_ = picture;
  UpdateCells(outline_);
  UpdateCells(floating_);
}

void TMapView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  SizeView();
}

void TMapView::scrollContentsBy(int, int) {
  Repaint();
  emit VisibleAreaChanged();
}

QRectF TMapView::VisibleZoomOne() const {
  const double k = Zoom() / static_cast<double>(kZoomDenominator);
  const QSize view = viewport()->size();
  const QPoint scroll = ScrollPosition();
  return {scroll.x() / k, scroll.y() / k, view.width() / k, view.height() / k};
}

void TMapView::CentreOn(QPointF zoomOnePoint) {
  const double k = Zoom() / static_cast<double>(kZoomDenominator);
  const QSize view = viewport()->size();
  // The scroll bars keep the values within their range.
  horizontalScrollBar()->setValue(qRound(zoomOnePoint.x() * k - view.width() / 2.0));
  verticalScrollBar()->setValue(qRound(zoomOnePoint.y() * k - view.height() / 2.0));
}

bool TMapView::ScrollByKey(int key, Qt::KeyboardModifiers modifiers) {
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  const bool ctrl = modifiers & Qt::ControlModifier;
  // With Alt or Meta a key belongs to the menus and the window manager.
  if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return false;
  switch (key) {
    case Qt::Key_Left:
      h->setValue(h->value() - h->singleStep());
      return true;
    case Qt::Key_Right:
      h->setValue(h->value() + h->singleStep());
      return true;
    case Qt::Key_Up:
      v->setValue(v->value() - v->singleStep());
      return true;
    case Qt::Key_Down:
      v->setValue(v->value() + v->singleStep());
      return true;
    case Qt::Key_PageUp:
      v->setValue(v->value() - v->pageStep());
      return true;
    case Qt::Key_PageDown:
      v->setValue(v->value() + v->pageStep());
      return true;
    case Qt::Key_Home:
      h->setValue(h->minimum());
      if (ctrl) v->setValue(v->minimum());
      return true;
    case Qt::Key_End:
      h->setValue(h->maximum());
      if (ctrl) v->setValue(v->maximum());
      return true;
    default:
      return false;
  }
}

void TMapView::ShowPanCursor() {
  if (Panning()) {
    viewport()->setCursor(Qt::ClosedHandCursor);
  } else if (spaceHeld_) {
    viewport()->setCursor(Qt::OpenHandCursor);
  } else {
    viewport()->unsetCursor();
  }
}

void TMapView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    if (!event->isAutoRepeat()) {
      spaceHeld_ = true;
      ShowPanCursor();
    }
    event->accept();
    return;
  }
  if (ScrollByKey(event->key(), event->modifiers())) {
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void TMapView::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
    spaceHeld_ = false;
    ShowPanCursor();
    event->accept();
    return;
  }
  QAbstractScrollArea::keyReleaseEvent(event);
}

void TMapView::focusOutEvent(QFocusEvent* event) {
  // The release of a Space held when the focus went elsewhere never comes here.
  spaceHeld_ = false;
  ShowPanCursor();
  QAbstractScrollArea::focusOutEvent(event);
}

void TMapView::RedrawCells(int x, int y, int w, int h) {
  if (stale_) return;  // the next paint draws everything anyway
  const QRect area = renderer_.ChangedArea(x, y, w, h);
  pending_ |= area;
  viewport()->update(area.translated(-backingOrigin_));
}

void TMapView::RedrawCellObject(int x, int y) {
  RedrawCells(x, y, 0, 0);
}

void TMapView::UpdateHover(const HoverShape& shape) {
  const QPoint scroll = ScrollPosition();
  QRect all;
  for (const QRect& r : HoverRectangles(shape, ZoomScale(Zoom()), footprint_)) all |= r;
  if (!all.isNull()) viewport()->update(all.translated(-scroll));
}

void TMapView::EraseHover() {
  if (!hover_) return;
  UpdateHover(*hover_);
  hover_.reset();
}

void TMapView::DrawHover(const HoverShape& shape) {
  // A repaint still to come would wipe an outline set now.
  EnsureBacking();
  FlushPending();
  if (hover_) UpdateHover(*hover_);
  if (hover_ == shape) {
    hover_.reset();
  } else {
    hover_ = shape;
    UpdateHover(shape);
  }
}

}  // namespace hl

namespace hl {

void TMapView::mouseMoveEvent(QMouseEvent* event) {
  if (Panning()) {
    const QPoint now = event->globalPosition().toPoint();
    const QPoint step = now - panFrom_;
    panFrom_ = now;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - step.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - step.y());
    return;
  }
  const QPoint at = event->position().toPoint();
  mouseAt_ = at;
  emit MouseMoved(ScrollPosition() + at, event->buttons(), event->modifiers());
}

void TMapView::leaveEvent(QEvent* event) {
  mouseAt_.reset();
  QAbstractScrollArea::leaveEvent(event);
}

bool TMapView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && mouseAt_ && isVisible() &&
      QApplication::mouseButtons() == Qt::NoButton) {
    const auto* key = static_cast<QKeyEvent*>(event);
    Qt::KeyboardModifier changed = Qt::NoModifier;
    switch (key->key()) {
      case Qt::Key_Shift:
        changed = Qt::ShiftModifier;
        break;
      case Qt::Key_Control:
        changed = Qt::ControlModifier;
        break;
      case Qt::Key_Alt:
        changed = Qt::AltModifier;
        break;
      case Qt::Key_Meta:
        changed = Qt::MetaModifier;
        break;
      default:
        break;
    }
    // Platforms differ in whether a modifier's own event already counts it: say it plainly.
    if (changed != Qt::NoModifier && !key->isAutoRepeat()) {
      Qt::KeyboardModifiers held = key->modifiers();
      held.setFlag(changed, type == QEvent::KeyPress);
      emit MouseMoved(ScrollPosition() + *mouseAt_, Qt::NoButton, held);
    }
  }
  return QAbstractScrollArea::eventFilter(watched, event);
}

void TMapView::mousePressEvent(QMouseEvent* event) {
  if (Panning()) return;  // other buttons during a pan do nothing
  const bool panButton =
      event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_);
  // A pan starts only with no other button down: a stroke in progress keeps its button.
  if (panButton && event->buttons() == event->button()) {
    panButton_ = event->button();
    panFrom_ = event->globalPosition().toPoint();
    ShowPanCursor();
    return;
  }
  // The middle button belongs to panning alone, also while a stroke keeps it from panning.
  if (event->button() == Qt::MiddleButton) return;
  emit MousePressed(ScrollPosition() + event->position().toPoint(), event->button(),
                    event->buttons(), event->modifiers());
}

void TMapView::mouseReleaseEvent(QMouseEvent* event) {
  if (Panning()) {
    if (event->button() == panButton_) {
      panButton_ = Qt::NoButton;
      ShowPanCursor();
    }
    return;
  }
  if (event->buttons() == Qt::NoButton) emit MouseReleased();
}

void TMapView::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (event->modifiers() & Qt::ControlModifier) {
    if (steps == 0) return;
    const QPoint at = event->position().toPoint();
    // The surface point under the pointer, in hundredths of a pixel at zoom 1, stays put.
    const QPoint before = ScrollPosition() + at;
    const int oldZoom = Zoom();
    int zoom = oldZoom;
    for (int i = 0; i < std::abs(steps); ++i)
      zoom = steps > 0 ? ZoomInStep(zoom) : ZoomOutStep(zoom);
    if (zoom == oldZoom) return;
    SetZoom(zoom);
    horizontalScrollBar()->setValue(static_cast<int>(1LL * before.x() * zoom / oldZoom) - at.x());
    verticalScrollBar()->setValue(static_cast<int>(1LL * before.y() * zoom / oldZoom) - at.y());
    event->accept();
    return;
  }
  if (event->modifiers() & Qt::ShiftModifier) {
    const int delta =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() -
                                    delta / 120 * horizontalScrollBar()->singleStep());
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

}  // namespace hl

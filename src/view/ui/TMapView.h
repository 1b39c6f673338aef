#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <optional>

#include "images/LibrarySet.h"
#include "map/MapDocument.h"
#include "tools/RedrawSink.h"
#include "view/HoverOutline.h"
#include "view/MapRenderer.h"

namespace hl {

// The map view: the scroll box MainScroll over the paint surface MapPaint, which is as large
// as the whole map at the current zoom. It keeps an image of the visible part of the surface
// that the renderer fills; edits redraw only the rectangle they change, with the same pixels
// a full repaint would give.
class TMapView : public QAbstractScrollArea, public RedrawSink {
  Q_OBJECT

 public:
  TMapView(const MapDocument& doc, LibrarySet& libraries, QWidget* parent = nullptr);

  int Zoom() const { return renderer_.Zoom(); }
  void SetZoom(int hundredths);
  // Button "Out" (control ZoomIn) and button "In" (control ZoomOut).
  void ZoomInClick();
  void ZoomOutClick();
  QString ZoomLabelText() const;

  const ViewOptions& Options() const { return renderer_.Options(); }
  void SetOptions(const ViewOptions& options);

  // The surface follows the map size at the current zoom.
  void SizeView();
  // Everything is drawn afresh on the next paint.
  void Repaint();
  // After cells x .. x + w, y .. y + h changed. The areas are gathered and drawn together at
  // the next paint, so a fill of thousands of cells costs one redraw.
  void RedrawCells(int x, int y, int w, int h) override;
  void RedrawCellObject(int x, int y) override;

  // Shows the hover outline of `shape` over the map (never in the backing image); a second
  // call with the same shape removes it.
  void DrawHover(const HoverShape& shape);
  void DrawHover(int x, int y, bool placingSets) { DrawHover(HoverShape{x, y, 1, 1, placingSets}); }
  bool HoverShown() const { return hover_.has_value(); }
  std::optional<HoverShape> Hover() const { return hover_; }
  // Removes the outline where it is, if it is shown.
  void EraseHover();
  SetFootprint& Footprint() { return footprint_; }
  // The outline of the object set chosen for placing; an empty list clears it.
  void SetFootprintFromSet(std::span<const FootprintCell> cells) { footprint_.SetFromSet(cells); }

  // Drawn over the map, never into it: a dashed outline (a rectangle of cells: x, y, width,
  // height) and a floating picture standing on a rectangle of cells, with its own outline.
  // Only the rectangles they leave and enter are repainted.
  void SetOverlay(std::optional<QRect> outline, std::optional<QRect> floating,
                  const QImage& picture);
  // Lines between the cells, stronger between big-tile blocks, where cells are large enough.
  void SetGrid(bool on);
  bool Grid() const { return grid_; }
  std::optional<QRect> OverlayOutline() const { return outline_; }
  std::optional<QRect> OverlayFloating() const { return floating_; }

  MapRenderer& Renderer() { return renderer_; }
  // The visible part of the surface as last drawn.
  const QImage& Backing();
  QPoint ScrollPosition() const;

  // The part of the map the view shows, in pixels of the map at zoom 1.
  QRectF VisibleZoomOne() const;
  // Scrolls so that this point of the map (in pixels at zoom 1) is in the middle of the view,
  // as far as the scroll range allows.
  void CentreOn(QPointF zoomOnePoint);
  // Keys that scroll: arrows by a scroll step, PageUp and PageDown by a view's height, Home
  // and End to the left and right edge, Ctrl+Home and Ctrl+End to the top-left and the
  // bottom-right corner. False for every other key.
  bool ScrollByKey(int key, Qt::KeyboardModifiers modifiers);
  // A drag with the middle button, or with the left one while Space is held, pans the view;
  // its presses and moves never reach the tools.
  bool Panning() const { return panButton_ != Qt::NoButton; }

 signals:
  void ZoomChanged(int hundredths);
  // The view scrolled, zoomed or changed size: VisibleZoomOne moved.
  void VisibleAreaChanged();
  // Mouse events with the pixel on the whole surface (not the visible part).
  void MousePressed(QPoint surfacePixel, Qt::MouseButton button, Qt::MouseButtons held,
                    Qt::KeyboardModifiers modifiers);
  void MouseMoved(QPoint surfacePixel, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers);
  // The last button came up: a stroke ends.
  void MouseReleased();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Shift turns the wheel sideways; Ctrl zooms in the buttons' steps around the pointer.
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // Shift, Ctrl and Alt pressed or let go while the mouse rests over the map: the outline
  // follows them (the eraser and the mark brush change size), as a move would.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ViewFrame Frame() const;
  void EnsureBacking();
  void FlushPending();
  // Asks for a paint of where the outline of `shape` lies.
  void UpdateHover(const HoverShape& shape);
  // The viewport rectangle a rectangle of cells covers, one pixel wider all round for the line.
  QRect ViewportRect(const QRect& cells) const;
  void UpdateCells(const std::optional<QRect>& cells);
  // The open hand while Space is held, the closed one while panning.
  void ShowPanCursor();

  const MapDocument& doc_;
  MapRenderer renderer_;
  QImage backing_;
  QPoint backingOrigin_;
  bool stale_ = true;
  std::optional<HoverShape> hover_;
  std::optional<QPoint> mouseAt_;  // the viewport point of the last move over the map
  QRect pending_;  // surface area changed since the backing image was last brought up to date
  SetFootprint footprint_;
  std::optional<QRect> outline_;
  std::optional<QRect> floating_;
  QImage floatingPicture_;
  bool grid_ = false;
  bool spaceHeld_ = false;
  Qt::MouseButton panButton_ = Qt::NoButton;
  QPoint panFrom_;  // global position of the last pan step
};

}  // namespace hl

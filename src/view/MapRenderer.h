#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <array>
#include <functional>
#include <vector>

#include "images/LibrarySet.h"
#include "map/MapDocument.h"
#include "view/MarkLabels.h"
#include "view/PreparedImageCache.h"
#include "view/ViewGeometry.h"

namespace hl {

// The five check items of the View menu, as at start-up.
struct ViewOptions {
  bool ShowBackgroundTile = true;
  bool ShowMiddleTile = true;
  bool ShowObject = true;
  bool ShowAttribMarks = false;
  bool MiddleTransparent = true;
};

// Where the view looks: the scroll position over the surface and the outer size of the main
// window, which decide the visible window of cells.
struct ViewFrame {
  int ScrollX = 0;
  int ScrollY = 0;
  int WindowWidth = 800;
  int WindowHeight = 593;
};

// Draws a map layer by layer: big tiles, middle tiles, objects standing on their cells, then
// marks, lights and door labels, and the border. It paints into an image that holds a
// rectangle of the surface (the map at the current zoom); the map view keeps such an image
// of its visible area, and hlmap writes one to a file. Cells start at truncated positions, so
// at most zooms they are not all equally wide: a big tile of the tile library's own size fills
// its 2 x 2 cells and a small tile of one cell's size (the marks too) its cell, up to where
// the next cell begins, so that neighbours meet; images of any other size keep their rounded
// scaled size. Images are copied from a cache of scaled, keyed pixels, so the result equals
// drawing each image with the library drawing operations in the same order, at a fraction of
// the cost.
class MapRenderer {
 public:
  static constexpr QRgb kSurfaceColour = 0xFFFFFFFFu;  // the white surface
  static constexpr QRgb kOutsideColour = 0xFF707070u;  // beyond the surface
  // Door labels are drawn from this zoom on; below it, "Show AttribMarks" shows doors with
  // small labels where they fit and door markers elsewhere (MarkLabels).
  static constexpr int kDoorLabelZoom = 90;

  // `preparedBudget` bounds the scaled images kept (renderers drawing side by side on
  // several threads share one budget between them).
  MapRenderer(const MapDocument& doc, LibrarySet& libraries,
              std::size_t preparedBudget = ImageBudget::Bytes());

  void SetZoom(int hundredths);
  int Zoom() const { return zoom_; }
  void SetOptions(const ViewOptions& options) { options_ = options; }
  const ViewOptions& Options() const { return options_; }
  void SetFont(const QFont& font) {
    font_ = font;
    labels_.SetFont(font);
  }
  void SetTextColour(QColor colour) { textColour_ = colour; }
  // Forget every prepared image (after the libraries changed).
  void ClearCache() { cache_.Clear(); }
  // What the prepared images hold, within ImageBudget::Bytes().
  std::size_t PreparedBytes() const { return cache_.Used(); }

  QSize Surface() const;
  int CellLeft(int x) const { return scale_.Position((1LL * x + offset_.x()) * kCellWidth); }
  int CellTop(int y) const { return scale_.Position((1LL * y + offset_.y()) * kCellHeight); }

  // For pictures of a world larger than a document holds, drawn a piece at a time: the
  // document's cell (0, 0) stands for cell `offset` of the world, and the world is drawn at
  // `scale`, so that the pieces' cells fall where the whole world's would. The zoom no longer
  // counts until SetZoom.
  void SetWorldPlacement(ScaleFactor scale, QPoint offset);
  // Which cells DrawLayers draws (document cells, bounds inclusive): big and middle tiles of
  // columns X0 .. X1 and rows Y0 .. Y1, objects of the same columns and rows ObjectY0 ..
  // ObjectY1.
  struct Range {
    int X0, X1, Y0, Y1, ObjectY0, ObjectY1;
  };
  // The three layers of `cells` as the overview draws them (keyed middle tiles, no marks, no
  // border) into `target`, whose top-left pixel shows surface pixel `origin`; only the
  // target's pixels in `clip` change, and they are expected to hold the surface already.
  void DrawLayers(QImage& target, QPoint origin, const QRect& clip, const Range& cells);
  // With the document placed at world cell (0, 0): its cells in use drawn as DrawLayers draws
  // them, over `area` of `target` (whose top-left pixel is the map's) alone: the area is filled with the
  // surface colour, then only the cells whose images can reach it are drawn. Valid once a
  // DrawLayers of the whole document at this placement has shown every image, and every cell
  // changed since had its ChangedArea asked.
  void RedrawLayers(QImage& target, const QRect& area);

  // A full repaint of the surface rectangle `area` into `target`, whose top-left pixel shows
  // surface pixel `origin`. Only pixels inside `area` change.
  void PaintMap(QImage& target, QPoint origin, QRect area, const ViewFrame& frame);

  // The same pixels as PaintMap over `area`, visiting only the cells whose images can reach
  // it. Valid once a PaintMap at this zoom has shown the cells around the area (their images
  // are then known) and every change since went through ChangedArea.
  void RedrawArea(QImage& target, QPoint origin, QRect area, const ViewFrame& frame);

  // The surface rectangle whose pixels may change when cells x .. x + w, y .. y + h change:
  // their own cells widened by the largest image and text drawn so far, so that re-rendering
  // it with PaintMap shows what a full repaint would.
  QRect ChangedArea(int x, int y, int w, int h);

  // The whole map at one eighth (6 x 4 pixels a cell): all three layers, no marks, on white.
  QImage RenderOverview();
  // The size of that picture; empty for a map without columns or rows.
  QSize OverviewSize() const;
  // RenderOverview's picture, pixel for pixel, drawn in bands of `bandRows` rows (the top band
  // may have fewer) from the bottom of the picture up, the order a BMP file stores rows, for
  // maps whose whole picture is too large to hold. `take` gets each band, as wide as the
  // picture, and the picture row of its first row; it may keep nothing of the band, whose
  // memory is reused. False when `take` stopped the drawing or there was no memory for a band.
  bool RenderOverviewBands(int bandRows,
                           const std::function<bool(const QImage& band, int top)>& take);

  // The whole map at 1/n of zoom 1 (n >= 1) as a full repaint of the view draws it there,
  // lights and door labels included but no border; a null image when there is no memory for
  // it. Text (door labels, from n = 1) needs the fonts: see MayDrawText.
  QImage RenderScaledDown(int n);
  // Whether RenderScaledDown(n) may draw text.
  bool ScaledDownMayDrawText(int n) const;

  // Whether a full repaint of `frame` may draw text (door labels, animation marks). Text needs
  // the fonts of a GUI application; every other pixel is drawn without one.
  bool MayDrawText(const ViewFrame& frame) const;

 private:
  void DrawPasses(QImage& target, QPoint origin, const QRect& clip, const Range& r, bool marks,
                  bool showBack, bool showMiddle, bool showObjects, bool middleKeyed);
  // Visits the cells x0..x1 x y0..y1 at `step` and draws what `look` finds for each, in row
  // order.
  template <class Look, class Draw>
  void ForEachImage(int x0, int x1, int y0, int y1, int step, Look look, Draw draw);
  void DrawMarks(QImage& target, QPoint origin, const QRect& clip, const Range& r);
  Range VisibleRange(const ViewFrame& frame) const;
  Range OverviewRange() const;
  // Prepares every image the cells of `r` would draw, as DrawPasses asks for them with all
  // layers shown, so that CurrentReach knows how far they reach.
  void PrepareImages(const Range& r);
  Range NarrowTo(Range r, const QRect& area);
  void Paint(QImage& target, QPoint origin, QRect area, const ViewFrame& frame, bool narrow);
  struct Reach {
    int Right = 0, Down = 0, Up = 0;
  };
  Reach CurrentReach();
  void NoteTextReach(int width, int height);
  // The two libraries whose tiles fill the cells they stand on, edge to edge.
  PreparedImageCache::Library& BigTiles() {
    return cache_.For(libraries_.Tiles(), {kBigTileWidth, kBigTileHeight});
  }
  PreparedImageCache::Library& SmallTiles() {
    return cache_.For(libraries_.SmTiles(), {kCellWidth, kCellHeight});
  }

  const MapDocument& doc_;
  LibrarySet& libraries_;
  PreparedImageCache cache_;
  int zoom_ = kStartZoom;
  ScaleFactor scale_ = ZoomScale(kStartZoom);
  QPoint offset_{0, 0};  // the world cell of the document's (0, 0)
  ViewOptions options_;
  QFont font_;
  QColor textColour_ = Qt::black;
  MarkLabels labels_;
  int textWidth_ = 0;
  int textHeight_ = 0;
  std::vector<const void*> bandItems_;  // what ForEachImage found, reused by every pass
};

}  // namespace hl

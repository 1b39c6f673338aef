#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <vector>

#include "images/LibrarySet.h"
#include "map/CellStorage.h"
#include "map/MapDocument.h"
#include "view/MapRenderer.h"

namespace hl {

// The whole map drawn small, as the overview dock shows it: the three layers of "Save To bmp"
// at the scale that fits a box, kept up to date cheaply. The picture keeps a copy of the
// document's cells (which shares every column with it, so costs a pointer a column); a write
// gives the document a column of its own, so a column that no longer shares is one that may
// have changed, and only its cells that differ are drawn again.
class OverviewPicture {
 public:
  // What the scaled images of the overview may keep: its cells are a few pixels wide.
  static constexpr std::size_t kPreparedBudget = std::size_t{16} << 20;
  // When more columns than this share of the map changed (another map, an undo over a fill),
  // the picture is drawn whole, which is then cheaper than comparing.
  static constexpr int kWholeDrawShare = 4;

  OverviewPicture(const MapDocument& doc, LibrarySet& libraries);

  // The picture fits `box`, at the map's proportions, and is never larger than the map at
  // zoom 1. Drawn whole at the next Update when that changes its scale.
  void FitTo(QSize box);
  QSize Box() const { return box_; }
  // The next Update draws the picture whole. Lets go of the copy of the cells, which would
  // otherwise keep columns the document has since replaced.
  void Invalidate() {
    whole_ = true;
    seen_ = CellStorage();
  }

  // Brings the picture up to the document's cells; returns the picture's rectangles that were
  // drawn again (one covering the picture when it was drawn whole; none when nothing changed).
  std::vector<QRect> Update();
  // Counts of whole draws and of partial ones since construction.
  int WholeDraws() const { return wholeDraws_; }
  int PartialDraws() const { return partialDraws_; }

  const QImage& Image() const { return image_; }
  ScaleFactor Scale() const { return scale_; }
  // Picture pixels per pixel of the map at zoom 1.
  double Ratio() const { return static_cast<double>(scale_.Num) / scale_.Den; }
  // A rectangle of the map in pixels at zoom 1, in picture pixels.
  QRectF FromZoomOne(const QRectF& r) const;
  // A picture pixel as a pixel of the map at zoom 1.
  QPointF ToZoomOne(QPointF pixel) const;

 private:
  void DrawWhole();
  // The scale at which a map of this size fits the box.
  ScaleFactor FitScale(int mapWidth, int mapHeight) const;

  const MapDocument& doc_;
  MapRenderer renderer_;
  QSize box_{200, 200};
  ScaleFactor scale_{1, 8};
  QImage image_;
  CellStorage seen_;  // the cells as the picture shows them
  int seenWidth_ = -1, seenHeight_ = -1;
  bool whole_ = true;
  int wholeDraws_ = 0;
  int partialDraws_ = 0;
};

}  // namespace hl

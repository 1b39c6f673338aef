#pragma once

#include <QImage>
#include <QRect>
#include <memory>

#include "images/LibrarySet.h"
#include "segments/WorldFiles.h"
#include "view/MapRenderer.h"

namespace hl {

// How many cells around a cell its images may reach into, from the largest images the
// libraries hold: objects stand on their cell's bottom edge and reach up and right, tiles lie
// from their cell's top-left corner and reach down and right. A picture of part of a world
// draws the cells that far beyond its part too, so that an object over a segment border is
// drawn whole. At most kMaxWorldReach cells either way: an image reaching further (over more
// than eight segments) is cut where the reach ends.
struct WorldReach {
  int Left = 2;   // columns to the left whose images reach right
  int Above = 2;  // rows above whose tiles reach down
  int Below = 1;  // rows below whose objects reach up
};
inline constexpr int kMaxWorldReach = 8 * kSegmentSide;
WorldReach ReachOf(LibrarySet& libraries);

// The picture of a world (the cells of a rectangle of a project's segments) at 1/N: what the
// map renderer draws of a map made of those cells at that scale, its top-left cell at pixel
// (0, 0), without marks and border.
struct WorldGeometry {
  QRect Cells;  // the world's cells, in cells of the whole project
  ScaleFactor Scale{1, 16};

  long long PixelX(long long cellX) const { return 1LL * Scale.Position(cellX * kCellWidth); }
  long long PixelY(long long cellY) const { return 1LL * Scale.Position(cellY * kCellHeight); }
  long long Width() const { return PixelX(Cells.width()); }
  long long Height() const { return PixelY(Cells.height()); }
};

// Draws pieces of a world picture from the segments a SegmentRows holds, one document's worth
// of cells at a time. Each painter has its own document and renderer; painters on several
// threads need a LibrarySet each.
class WorldPainter {
 public:
  WorldPainter(LibrarySet& libraries, std::size_t preparedBudget);

  // The picture's pixels `clip` (picture pixels) into `target`, whose top-left pixel is
  // picture pixel `origin`: filled with the surface and drawn from every cell whose images
  // may reach them, as far as the rows hold those cells.
  void Draw(const SegmentRows& rows, const WorldGeometry& world, const WorldReach& reach,
            QImage& target, QPoint origin, const QRect& clip);

 private:
  void DrawPiece(const SegmentRows& rows, const WorldGeometry& world, const WorldReach& reach,
                 QImage& target, QPoint origin, const QRect& clip);

  std::unique_ptr<MapDocument> doc_;
  MapRenderer renderer_;
  int filledWidth_ = 0;  // columns of the document written by earlier pieces
};

}  // namespace hl

#include "view/WorldPainter.h"

#include <algorithm>

namespace hl {

namespace {

int CeilDiv(int a, int b) {
  return (a + b - 1) / b;
}

void FillSurface(QImage& target, const QRect& rect) {
  const QRect r = rect & target.rect();
  for (int y = r.top(); y <= r.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
    std::fill(row + r.left(), row + r.right() + 1, MapRenderer::kSurfaceColour);
  }
}

// The cell whose span holds pixel p of a picture (p >= 0): the last whose start is at or
// before it.
int CellAt(const WorldGeometry& world, long long p, int cellPixels, bool columns) {
  auto start = [&](long long cell) { return columns ? world.PixelX(cell) : world.PixelY(cell); };
  long long cell = p * world.Scale.Den / (1LL * cellPixels * world.Scale.Num);
  while (start(cell + 1) <= p) ++cell;
  while (cell > 0 && start(cell) > p) --cell;
  return static_cast<int>(cell);
}

}  // namespace

WorldReach ReachOf(LibrarySet& libraries) {
  QSize tiles =
      libraries.Tiles().LargestImageSize().expandedTo(libraries.SmTiles().LargestImageSize());
  QSize objects(0, 0);
  for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot)
    objects = objects.expandedTo(libraries.ObjectSlotLibrary(slot).LargestImageSize());
  // One cell more than the image spans: scaled sizes are rounded and cell edges truncated.
  WorldReach reach;
  const int widest = std::max(tiles.width(), objects.width());
  reach.Left = std::clamp(CeilDiv(widest, kCellWidth) + 1, 2, kMaxWorldReach);
  reach.Above = std::clamp(CeilDiv(tiles.height(), kCellHeight) + 1, 2, kMaxWorldReach);
  reach.Below = std::clamp(CeilDiv(objects.height(), kCellHeight) + 1, 1, kMaxWorldReach);
  return reach;
}

WorldPainter::WorldPainter(LibrarySet& libraries, std::size_t preparedBudget)
    : doc_(std::make_unique<MapDocument>()), renderer_(*doc_, libraries, preparedBudget) {}

void WorldPainter::Draw(const SegmentRows& rows, const WorldGeometry& world,
                        const WorldReach& reach, QImage& target, QPoint origin, const QRect& clip) {
  const QRect picture(0, 0, static_cast<int>(world.Width()), static_cast<int>(world.Height()));
  const QRect part = clip & picture;
  FillSurface(target, clip.translated(-origin));
  if (part.isEmpty()) return;
  DrawPiece(rows, world, reach, target, origin, part);
}

void WorldPainter::DrawPiece(const SegmentRows& rows, const WorldGeometry& world,
                             const WorldReach& reach, QImage& target, QPoint origin,
                             const QRect& clip) {
  const int lastColumn = world.Cells.width() - 1;
  const int lastRow = world.Cells.height() - 1;
  // Big tiles lie on even cells of the project, and the document keeps their parity: the
  // world starts on a segment border, so even cells of the world are even in the project.
  const int x0 = std::max(0, CellAt(world, clip.left(), kCellWidth, true) - reach.Left) & ~1;
  const int x1 = std::min(lastColumn, CellAt(world, clip.right(), kCellWidth, true));
  const int firstRow = CellAt(world, clip.top(), kCellHeight, false);
  const int y1 = std::min(lastRow, CellAt(world, clip.bottom(), kCellHeight, false));
  const int top = std::max(0, firstRow - reach.Above) & ~1;
  const int objectY1 = std::min(lastRow, y1 + reach.Below);
  const int width = x1 - x0 + 1, height = objectY1 - top + 1;
  // A document holds kAccessEnd cells a side: a larger piece is drawn as two smaller ones,
  // each pixel by exactly one of them, so the order of the layers holds across them.
  if (width > kAccessEnd && clip.width() > 1) {
    const int half = clip.width() / 2;
    DrawPiece(rows, world, reach, target, origin,
              QRect(clip.left(), clip.top(), half, clip.height()));
    DrawPiece(rows, world, reach, target, origin,
              QRect(clip.left() + half, clip.top(), clip.width() - half, clip.height()));
    return;
  }
  if (height > kAccessEnd && clip.height() > 1) {
    const int half = clip.height() / 2;
    DrawPiece(rows, world, reach, target, origin,
              QRect(clip.left(), clip.top(), clip.width(), half));
    DrawPiece(rows, world, reach, target, origin,
              QRect(clip.left(), clip.top() + half, clip.width(), clip.height() - half));
    return;
  }
  const int usedWidth = std::min(width, kAccessEnd), usedHeight = std::min(height, kAccessEnd);
  rows.CopyCells(world.Cells.x() + x0, world.Cells.y() + top, usedWidth, usedHeight, *doc_);
  renderer_.SetWorldPlacement(world.Scale, QPoint(x0, top));
  const MapRenderer::Range range{0, usedWidth - 1, 0, y1 - top, firstRow - top, usedHeight - 1};
  renderer_.DrawLayers(target, origin, clip.translated(-origin), range);
}

}  // namespace hl

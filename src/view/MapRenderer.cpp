#include "view/MapRenderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <type_traits>
#include <vector>

namespace hl {

namespace {

// The last column and row a frame may reach; the passes stop one earlier, with the accessors.
constexpr int kLastCell = kLastWideCell;

void Fill(QImage& target, const QRect& rect, QRgb colour) {
  const QRect r = rect & target.rect();
  for (int y = r.top(); y <= r.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
    std::fill(row + r.left(), row + r.right() + 1, colour);
  }
}

}  // namespace

MapRenderer::MapRenderer(const MapDocument& doc, LibrarySet& libraries, std::size_t preparedBudget)
    : doc_(doc), libraries_(libraries), cache_(preparedBudget) {
  cache_.SetScale(scale_);
}

void MapRenderer::SetZoom(int hundredths) {
  zoom_ = hundredths;
  scale_ = ZoomScale(hundredths);
  offset_ = {0, 0};
  cache_.SetScale(scale_);
  textWidth_ = textHeight_ = 0;
}

void MapRenderer::SetWorldPlacement(ScaleFactor scale, QPoint offset) {
  scale_ = scale;
  offset_ = offset;
  cache_.SetScale(scale_);
}

void MapRenderer::DrawLayers(QImage& target, QPoint origin, const QRect& clip, const Range& cells) {
  cache_.BeginFrame();
  const QRect area = clip & target.rect();
  if (area.isEmpty()) return;
  DrawPasses(target, origin, area, cells, false, true, true, true, true);
}

void MapRenderer::RedrawLayers(QImage& target, const QRect& area) {
  const QRect clip = area & target.rect();
  if (clip.isEmpty()) return;
  Fill(target, clip, kSurfaceColour);
  cache_.BeginFrame();
  DrawPasses(target, QPoint(0, 0), clip, NarrowTo(OverviewRange(), clip), false, true, true, true,
             true);
}

QSize MapRenderer::Surface() const {
  return SurfaceSize(doc_.MapWidth(), doc_.MapHeight(), zoom_);
}

MapRenderer::Range MapRenderer::VisibleRange(const ViewFrame& frame) const {
  const QSize surface = Surface();
  const int z = zoom_;
  // The visible window, from the scroll position and the main window's outer size...
  const int sx = static_cast<int>(TruncDiv(1LL * (frame.ScrollX / kCellWidth) * kZoomDenominator, z));
  const int sy = static_cast<int>(TruncDiv(1LL * (frame.ScrollY / kCellHeight) * kZoomDenominator, z));
  const int spanX = static_cast<int>(RoundDiv(1LL * (frame.WindowWidth / kCellWidth) * kZoomDenominator, z));
  const int spanY = static_cast<int>(RoundDiv(1LL * (frame.WindowHeight / kCellHeight) * kZoomDenominator, z));
  // ...within the loops over the surface, with their margins.
  const int lastColumn =
      static_cast<int>(TruncDiv(1LL * (surface.width() / kCellWidth) * kZoomDenominator, z)) + 2;
  const int lastRow =
      static_cast<int>(TruncDiv(1LL * (surface.height() / kCellHeight) * kZoomDenominator, z)) + 2;
  Range r;
  r.X0 = std::max(0, sx - 1);
  r.X1 = std::min({kLastCell, sx + spanX, lastColumn});
  r.Y0 = std::max(0, sy - 1);
  r.Y1 = std::min({kLastCell, sy + spanY, lastRow});
  r.ObjectY1 = std::min({kLastCell, sy + spanY, lastRow + 8});
  r.ObjectY0 = r.Y0;
  return r;
}

void MapRenderer::PaintMap(QImage& target, QPoint origin, QRect area, const ViewFrame& frame) {
  Paint(target, origin, area, frame, false);
}

void MapRenderer::RedrawArea(QImage& target, QPoint origin, QRect area, const ViewFrame& frame) {
  Paint(target, origin, area, frame, true);
}

void MapRenderer::Paint(QImage& target, QPoint origin, QRect area, const ViewFrame& frame,
                        bool narrow) {
  cache_.BeginFrame();
  const QSize surfaceSize = Surface();
  const QRect surface(QPoint(0, 0), surfaceSize);
  const QRect clip = area.translated(-origin) & target.rect();
  if (clip.isEmpty()) return;
  const QRect onSurface = clip & surface.translated(-origin);
  if (onSurface.isEmpty()) {
    Fill(target, clip, kOutsideColour);
    return;
  }
  // Every pixel filled once: grey above, below and beside the surface, white on it.
  const int surfaceBottom = onSurface.bottom() + 1;
  Fill(target, QRect(clip.left(), clip.top(), clip.width(), onSurface.top() - clip.top()),
       kOutsideColour);
  Fill(target, QRect(clip.left(), surfaceBottom, clip.width(), clip.bottom() + 1 - surfaceBottom),
       kOutsideColour);
  Fill(target, QRect(clip.left(), onSurface.top(), onSurface.left() - clip.left(), onSurface.height()),
       kOutsideColour);
  Fill(target, QRect(onSurface.right() + 1, onSurface.top(), clip.right() - onSurface.right(),
                     onSurface.height()),
       kOutsideColour);
  Fill(target, onSurface, kSurfaceColour);

  Range r = VisibleRange(frame);
  if (narrow) r = NarrowTo(r, onSurface.translated(origin));
  DrawPasses(target, origin, onSurface, r, true, options_.ShowBackgroundTile,
             options_.ShowMiddleTile, options_.ShowObject, options_.MiddleTransparent);

  // The border closes the right and bottom edges of the map.
  const int right = surfaceSize.width() - 1 - origin.x();
  const int bottom = surfaceSize.height() - 1 - origin.y();
  Fill(target, QRect(QPoint(-origin.x(), bottom), QPoint(right, bottom)) & onSurface, 0xFF000000u);
  Fill(target, QRect(QPoint(right, -origin.y()), QPoint(right, bottom)) & onSurface, 0xFF000000u);
}

template <class Look, class Draw>
void MapRenderer::ForEachImage(int x0, int x1, int y0, int y1, int step, Look look, Draw draw) {
  // Images are drawn row after row, as the passes' order requires, but looked up column by
  // column a band of rows at a time: the storage keeps each column together, and a row of a
  // wide window would touch another cache line for every cell.
  constexpr int kBand = 16;
  constexpr int kAhead = 4;
  if (x1 < x0 || y1 < y0) return;
  const int columns = (x1 - x0) / step + 1;
  bandItems_.resize(static_cast<std::size_t>(columns) * kBand);
  const CellStorage& cells = doc_.Cells();
  for (int bandTop = y0; bandTop <= y1; bandTop += kBand * step) {
    const int rows = std::min(kBand, (y1 - bandTop) / step + 1);
    for (int i = 0; i < columns; ++i) {
      const int x = x0 + i * step;
      const CellStorage::Column& column = cells.ColumnAt(x);
      if (i + kAhead < columns) {
        // Columns lie apart in memory: their cells are asked for a few columns ahead.
        const TMapCell* next = cells.ColumnAt(x + kAhead * step).data() + bandTop;
        for (int line = 0; line < rows * step * static_cast<int>(sizeof(TMapCell)); line += 64)
          __builtin_prefetch(reinterpret_cast<const char*>(next) + line);
      }
      for (int j = 0; j < rows; ++j) {
        const int y = bandTop + j * step;
        bandItems_[static_cast<std::size_t>(j * columns + i)] =
            look(x, y, column[static_cast<std::size_t>(y)]);
      }
    }
    using Item = std::remove_pointer_t<decltype(look(x0, y0, cells.At(x0, y0)))>;
    for (int j = 0; j < rows; ++j) {
      const void* const* row = bandItems_.data() + static_cast<std::size_t>(j * columns);
      const int y = bandTop + j * step;
      for (int i = 0; i < columns; ++i) {
        if (row[i]) draw(x0 + i * step, y, *static_cast<Item*>(row[i]));
      }
    }
  }
}

void MapRenderer::DrawPasses(QImage& target, QPoint origin, const QRect& clip, const Range& r,
                             bool marks, bool showBack, bool showMiddle, bool showObjects,
                             bool middleKeyed) {
  const int ox = origin.x(), oy = origin.y();
  const BlitTarget t = BlitTarget::Of(target, clip);
  // The cell accessors read nothing beyond column and row kAccessEnd - 1; neither do these loops.
  const int x1 = std::min(r.X1, kAccessEnd - 1);
  const int y1 = std::min(r.Y1, kAccessEnd - 1);
  const int objectY0 = std::max(r.Y0, r.ObjectY0);
  const int objectY1 = std::min(r.ObjectY1, kAccessEnd - 1);
  // Left edges of the columns and top edges of the rows, and of the two after the last: a tile
  // ends where the cell after it begins.
  std::vector<int> left(static_cast<std::size_t>(std::max(0, x1 - r.X0 + 1 + kBigTileStep)));
  for (std::size_t i = 0; i < left.size(); ++i) left[i] = CellLeft(r.X0 + static_cast<int>(i)) - ox;
  const int topRow = std::min(r.Y0, objectY0);
  std::vector<int> tops(
      static_cast<std::size_t>(std::max(0, std::max(y1, objectY1) - topRow + 1 + kBigTileStep)));
  for (std::size_t i = 0; i < tops.size(); ++i) tops[i] = CellTop(topRow + static_cast<int>(i)) - oy;
  auto cellLeft = [&](int x) { return left[static_cast<std::size_t>(x - r.X0)]; };
  auto cellTop = [&](int y) { return tops[static_cast<std::size_t>(y - topRow)]; };

  if (showBack) {
    auto& tiles = BigTiles();
    ForEachImage(
        r.X0 + (r.X0 & 1), x1, r.Y0 + (r.Y0 & 1), y1, kBigTileStep,
        [&](int x, int y, const TMapCell& c) -> const PreparedImage* {
          const int n = (c.BackTile & kNumberBits) - 1;
          if (n < 0) return nullptr;
          return tiles.GetFitted(n, false, cellLeft(x + kBigTileStep) - cellLeft(x),
                                 cellTop(y + kBigTileStep) - cellTop(y));
        },
        [&](int x, int y, const PreparedImage& image) { Blit(t, cellLeft(x), cellTop(y), image); });
  }
  if (showMiddle) {
    auto& small = SmallTiles();
    ForEachImage(
        r.X0, x1, r.Y0, y1, 1,
        [&](int x, int y, const TMapCell& c) -> const PreparedImage* {
          const int n = c.MiddleTile - 1;
          if (n < 0) return nullptr;
          return small.GetFitted(n, middleKeyed, cellLeft(x + 1) - cellLeft(x),
                                 cellTop(y + 1) - cellTop(y));
        },
        [&](int x, int y, const PreparedImage& image) { Blit(t, cellLeft(x), cellTop(y), image); });
  }
  if (showObjects) {
    std::array<PreparedImageCache::Library*, LibrarySet::kObjectSlots> objects{};
    for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot) {
      objects[static_cast<std::size_t>(slot)] = &cache_.For(libraries_.ObjectSlotLibrary(slot));
    }
    ForEachImage(
        r.X0, x1, objectY0, objectY1, 1,
        [&](int, int, const TMapCell& c) -> const PreparedImage* {
          const int i = ObjectIndex::FromCell(c.ObjectLib, c.ObjectImage & kNumberBits);
          if (i < 0) return nullptr;
          return objects[static_cast<std::size_t>(LibrarySet::ObjectSlot(i))]->Get(
              ObjectIndex::Image(i), true);
        },
        [&](int x, int y, const PreparedImage& image) {
          Blit(t, cellLeft(x), cellTop(y + 1) - image.Height(), image);
        });
  }
  if (marks) DrawMarks(target, origin, clip, r);
}

void MapRenderer::DrawMarks(QImage& target, QPoint origin, const QRect& clip, const Range& r) {
  auto& small = SmallTiles();
  QPainter painter;
  const QFontMetrics metrics(font_);
  auto text = [&](int left, int top, const QString& s) {
    if (!painter.isActive()) {
      painter.begin(&target);
      painter.setClipRect(clip);
      painter.setFont(font_);
      painter.setPen(textColour_);
    }
    const QRect box(left, top, metrics.horizontalAdvance(s) + 1, metrics.height());
    NoteTextReach(box.width(), box.height());
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, s);
  };
  // Left edges of the columns and of the one after the last.
  std::vector<int> edges(static_cast<std::size_t>(std::max(0, r.X1 - r.X0 + 2)));
  for (std::size_t i = 0; i < edges.size(); ++i)
    edges[i] = CellLeft(r.X0 + static_cast<int>(i)) - origin.x();
  int left = 0, top = 0, width = 0, height = 0;  // the cell being marked
  auto image = [&](int index) {
    if (const PreparedImage* p = small.GetFitted(index, true, width, height))
      BlitPrepared(target, left, top, *p, clip);
  };
  const bool doorLabels = zoom_ >= kDoorLabelZoom;
  const bool attributes = options_.ShowAttribMarks;
  const std::uint16_t markBits = attributes ? kMarkBit : 0;
  const std::uint8_t frameBits = attributes ? 0x7F : 0;
  // Below the door labels' zoom the marks show doors their own way.
  const bool smallDoors = attributes && !doorLabels;
  const std::uint8_t doorBits = doorLabels || smallDoors ? 0xFF : 0;
  // Most cells carry nothing this pass draws: they cost one look at the cell.
  const CellStorage& cells = doc_.Cells();
  const int x1 = std::min(r.X1, kAccessEnd - 1);
  const int y1 = std::min(r.Y1, kAccessEnd - 1);
  for (int y = r.Y0; y <= y1; ++y) {
    top = CellTop(y) - origin.y();
    height = CellTop(y + 1) - origin.y() - top;
    for (int x = r.X0; x <= x1; ++x) {
      const TMapCell& c = cells.At(x, y);
      if (!(((c.BackTile | c.ObjectImage) & markBits) | (c.AniFrame & frameBits) |
            (c.Door & doorBits) | c.Light))
        continue;
      const auto i = static_cast<std::size_t>(x - r.X0);
      left = edges[i];
      width = edges[i + 1] - left;
      if (c.BackTile & markBits) image(kBackMarkImage);
      if (c.ObjectImage & markBits) image(kFrontMarkImage);
      if (c.AniFrame & frameBits) text(left, top, QStringLiteral("*"));
      if (c.Light > 0) {
        image(kLightMarkImage);
        if (attributes) labels_.DrawLight(target, clip, QRect(left, top, width, height), c.Light);
      }
      if (c.Door & doorBits) {
        if (smallDoors) {
          labels_.DrawDoor(target, clip, QRect(left, top, width, height), c.Door, c.DoorOffset);
        } else {
          text(left, top, MarkLabels::DoorLabel(c.Door, c.DoorOffset));
        }
      }
    }
  }
}

void MapRenderer::NoteTextReach(int width, int height) {
  textWidth_ = std::max(textWidth_, width);
  textHeight_ = std::max(textHeight_, height);
}

MapRenderer::Reach MapRenderer::CurrentReach() {
  Reach reach;
  auto widen = [&](const PreparedImageCache::Library& lib) {
    reach.Right = std::max(reach.Right, lib.MaxWidth());
    reach.Down = std::max(reach.Down, lib.MaxHeight());
  };
  widen(BigTiles());
  widen(SmallTiles());
  for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot) {
    const auto& lib = cache_.For(libraries_.ObjectSlotLibrary(slot));
    reach.Right = std::max(reach.Right, lib.MaxWidth());
    reach.Up = std::max(reach.Up, lib.MaxHeight());
  }
  reach.Right = std::max(reach.Right, textWidth_);
  reach.Down = std::max(reach.Down, textHeight_);
  return reach;
}

MapRenderer::Range MapRenderer::NarrowTo(Range r, const QRect& area) {
  const Reach reach = CurrentReach();
  // Cell indexes around a surface pixel, one cell wide of the truncations either way.
  auto column = [&](long long px) {
    return static_cast<int>(
        TruncDiv(std::max(0LL, px) * scale_.Den, 1LL * kCellWidth * scale_.Num));
  };
  auto row = [&](long long px) {
    return static_cast<int>(
        TruncDiv(std::max(0LL, px) * scale_.Den, 1LL * kCellHeight * scale_.Num));
  };
  // The last cell that starts on or before a pixel: where cells are smaller than a pixel,
  // several start in it, and the last of them is the one drawn there.
  auto lastColumn = [&](long long px) {
    return static_cast<int>(((std::max(0LL, px) + 1) * scale_.Den - 1) /
                            (1LL * kCellWidth * scale_.Num));
  };
  auto lastRow = [&](long long px) {
    return static_cast<int>(((std::max(0LL, px) + 1) * scale_.Den - 1) /
                            (1LL * kCellHeight * scale_.Num));
  };
  r.X0 = std::max(r.X0, column(area.left() - reach.Right) - 1);
  r.X1 = std::min(r.X1, lastColumn(area.right()) + 1);
  const int objectY0 = std::max(r.Y0, row(area.top()) - 2);
  r.ObjectY1 = std::min(r.ObjectY1, lastRow(1LL * area.bottom() + reach.Up) + 1);
  r.Y0 = std::max(r.Y0, row(area.top() - reach.Down) - 1);
  r.Y1 = std::min(r.Y1, lastRow(area.bottom()) + 1);
  // The object pass starts at Y0 as well; rows above objectY0 cannot reach the area.
  r.ObjectY0 = objectY0;
  return r;
}

QRect MapRenderer::ChangedArea(int x, int y, int w, int h) {
  // The changed cells' own images are prepared first, at the sizes they are drawn, so that
  // the widening knows them.
  for (int cy = y; cy <= y + h; ++cy) {
    for (int cx = x; cx <= x + w; ++cx) {
      if (cx % kBigTileStep == 0 && cy % kBigTileStep == 0) {
        BigTiles().GetFitted(doc_.GetBackTile(cx, cy), false,
                             CellLeft(cx + kBigTileStep) - CellLeft(cx),
                             CellTop(cy + kBigTileStep) - CellTop(cy));
      }
      SmallTiles().GetFitted(doc_.GetMiddleTile(cx, cy), options_.MiddleTransparent,
                             CellLeft(cx + 1) - CellLeft(cx), CellTop(cy + 1) - CellTop(cy));
      const int i = doc_.GetObject(cx, cy);
      if (i >= 0) cache_.For(libraries_.GetObjectLibrary(i)).Get(ObjectIndex::Image(i), true);
    }
  }
  const Reach reach = CurrentReach();
  const int right = CellLeft(x + w + 1) + reach.Right;
  const int bottom = CellTop(y + h + 1) + reach.Down;
  return QRect(QPoint(CellLeft(x), CellTop(y) - reach.Up), QPoint(right, bottom));
}

QImage MapRenderer::RenderOverview() {
  // One eighth, whatever the zoom; the cache follows and is set back afterwards.
  const ScaleFactor keep = scale_;
  scale_ = {1, 8};
  cache_.SetScale(scale_);
  cache_.BeginFrame();
  const int width = static_cast<int>(TruncDiv(1LL * doc_.MapWidth() * kCellWidth, 8));
  const int height = static_cast<int>(TruncDiv(1LL * doc_.MapHeight() * kCellHeight, 8));
  QImage out(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
  if (!out.isNull()) {
    out.fill(kSurfaceColour);
    const int last = std::min(kLastCell, kLastStorageCell);
    Range r{0, std::min(doc_.MapWidth() - 1, last), 0, std::min(doc_.MapHeight() - 1, last), 0, 0};
    r.ObjectY1 = r.Y1;
    DrawPasses(out, QPoint(0, 0), out.rect(), r, false, true, true, true, true);
  }
  scale_ = keep;
  cache_.SetScale(scale_);
  return out;
}

QImage MapRenderer::RenderScaledDown(int n) {
  const ScaleFactor keepScale = scale_;
  const int keepZoom = zoom_;
  scale_ = {1, std::max(n, 1)};
  // The zoom decides only which marks are drawn; 1/n of zoom 1 in hundredths, truncated.
  zoom_ = kZoomDenominator / std::max(n, 1);
  cache_.SetScale(scale_);
  cache_.BeginFrame();
  const int width = scale_.Position(1LL * doc_.MapWidth() * kCellWidth);
  const int height = scale_.Position(1LL * doc_.MapHeight() * kCellHeight);
  QImage out(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
  if (!out.isNull()) {
    out.fill(kSurfaceColour);
    const Range r = OverviewRange();
    DrawPasses(out, QPoint(0, 0), out.rect(), r, true, options_.ShowBackgroundTile,
               options_.ShowMiddleTile, options_.ShowObject, options_.MiddleTransparent);
  }
  scale_ = keepScale;
  zoom_ = keepZoom;
  cache_.SetScale(scale_);
  return out;
}

bool MapRenderer::ScaledDownMayDrawText(int n) const {
  const bool doorLabels = kZoomDenominator / std::max(n, 1) >= kDoorLabelZoom;
  if (!doorLabels && !options_.ShowAttribMarks) return false;
  const Range r = OverviewRange();
  for (int y = r.Y0; y <= std::min(r.Y1, kAccessEnd - 1); ++y) {
    for (int x = r.X0; x <= std::min(r.X1, kAccessEnd - 1); ++x) {
      const TMapCell& c = doc_.Cell(x, y);
      if (doorLabels && c.Door != 0) return true;
      // The marks' small labels of doors and lights.
      if (options_.ShowAttribMarks && ((c.AniFrame & 0x7F) | c.Door | c.Light) != 0) return true;
    }
  }
  return false;
}

bool MapRenderer::MayDrawText(const ViewFrame& frame) const {
  const bool doorLabels = zoom_ >= kDoorLabelZoom;
  if (!doorLabels && !options_.ShowAttribMarks) return false;
  // The cells the marks pass visits, asked as it asks them.
  const Range r = VisibleRange(frame);
  for (int y = r.Y0; y <= r.Y1; ++y) {
    for (int x = r.X0; x <= r.X1; ++x) {
      int offset = 0, door = 0, light = 0;
      if (!doc_.GetLightAndDoor(x, y, offset, door, light)) continue;
      if (doorLabels && door > 0) return true;
      if (options_.ShowAttribMarks && (doc_.GetAniFrame(x, y) > 0 || door > 0 || light > 0))
        return true;
    }
  }
  return false;
}

QSize MapRenderer::OverviewSize() const {
  const int width = static_cast<int>(TruncDiv(1LL * doc_.MapWidth() * kCellWidth, 8));
  const int height = static_cast<int>(TruncDiv(1LL * doc_.MapHeight() * kCellHeight, 8));
  return {std::max(width, 0), std::max(height, 0)};
}

MapRenderer::Range MapRenderer::OverviewRange() const {
  const int last = std::min(kLastCell, kLastStorageCell);
  Range r{0, std::min(doc_.MapWidth() - 1, last), 0, std::min(doc_.MapHeight() - 1, last), 0, 0};
  r.ObjectY1 = r.Y1;
  return r;
}

void MapRenderer::PrepareImages(const Range& r) {
  const int x1 = std::min(r.X1, kAccessEnd - 1);
  const int y1 = std::min(r.Y1, kAccessEnd - 1);
  const int objectY1 = std::min(r.ObjectY1, kAccessEnd - 1);
  // At one eighth, where this serves, every cell has the same box: one ask per image is all.
  std::vector<bool> big(kNumberBits + 1), small(0xFFFF + 1);
  std::vector<bool> objects(static_cast<std::size_t>(LibrarySet::kObjectSlots) * (0xFFFF + 1));
  const CellStorage& cells = doc_.Cells();
  for (int x = r.X0; x <= x1; ++x) {
    const CellStorage::Column& column = cells.ColumnAt(x);
    for (int y = r.Y0; y <= std::max(y1, objectY1); ++y) {
      const TMapCell& c = column[y];
      if (x % kBigTileStep == 0 && y % kBigTileStep == 0 && y <= y1) {
        const int n = (c.BackTile & kNumberBits) - 1;
        if (n >= 0 && !big[n]) {
          big[n] = true;
          BigTiles().GetFitted(n, false, CellLeft(x + kBigTileStep) - CellLeft(x),
                               CellTop(y + kBigTileStep) - CellTop(y));
        }
      }
      if (y <= y1 && c.MiddleTile > 0 && !small[c.MiddleTile]) {
        small[c.MiddleTile] = true;
        SmallTiles().GetFitted(c.MiddleTile - 1, true, CellLeft(x + 1) - CellLeft(x),
                               CellTop(y + 1) - CellTop(y));
      }
      const int i = ObjectIndex::FromCell(c.ObjectLib, c.ObjectImage & kNumberBits);
      if (y < std::max(r.Y0, r.ObjectY0) || y > objectY1 || i < 0) continue;
      const int slot = LibrarySet::ObjectSlot(i);
      const auto seen = static_cast<std::size_t>(slot) * (0xFFFF + 1) +
                        static_cast<std::size_t>(ObjectIndex::Image(i));
      if (objects[seen]) continue;
      objects[seen] = true;
      cache_.For(libraries_.ObjectSlotLibrary(slot)).Get(ObjectIndex::Image(i), true);
    }
  }
}

bool MapRenderer::RenderOverviewBands(
    int bandRows, const std::function<bool(const QImage& band, int top)>& take) {
  // One eighth, as RenderOverview draws; the cache follows and is set back afterwards.
  const ScaleFactor keep = scale_;
  scale_ = {1, 8};
  cache_.SetScale(scale_);
  cache_.BeginFrame();  // every band is one frame: what the first prepares stays for the last
  const QSize size = OverviewSize();
  bool complete = true;
  if (!size.isEmpty()) {
    const Range whole = OverviewRange();
    // Each band draws only the cells whose images reach it, which needs the reach of every
    // image the map uses before the first band.
    PrepareImages(whole);
    QImage buffer(size.width(), std::clamp(bandRows, 1, size.height()), QImage::Format_RGB32);
    complete = !buffer.isNull();
    for (int bottom = size.height(); complete && bottom > 0;) {
      const int rows = std::min(buffer.height(), bottom);
      const int top = bottom - rows;
      QImage band(buffer.bits(), size.width(), rows, buffer.bytesPerLine(), QImage::Format_RGB32);
      band.fill(kSurfaceColour);
      const QRect area(0, top, size.width(), rows);
      DrawPasses(band, QPoint(0, top), band.rect(), NarrowTo(whole, area), false, true, true, true,
                 true);
      complete = take(band, top);
      bottom = top;
    }
  }
  scale_ = keep;
  cache_.SetScale(scale_);
  return complete;
}

}  // namespace hl

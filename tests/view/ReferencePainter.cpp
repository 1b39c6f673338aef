#include "ReferencePainter.h"

#include <QFontMetrics>
#include <QPainter>

#include "images/Drawing.h"
#include "view/MarkLabels.h"
#include "view/ViewGeometry.h"

namespace hl::test {

void ReferencePaintMap(QImage& target, QPoint origin, const MapDocument& doc, LibrarySet& libs,
                       int zoom, const ViewOptions& options, const ViewFrame& frame,
                       const QFont& font) {
  const ScaleFactor scale = ZoomScale(zoom);
  const QSize surface = SurfaceSize(doc.MapWidth(), doc.MapHeight(), zoom);
  target.fill(MapRenderer::kOutsideColour);
  QPainter p(&target);
  p.translate(-origin);
  p.fillRect(QRect(QPoint(0, 0), surface), QColor::fromRgb(MapRenderer::kSurfaceColour));
  p.setClipRect(QRect(QPoint(0, 0), surface));

  // Exact decimal arithmetic: (pixels div 48) / Zoom with Zoom in hundredths.
  auto trunc = [&](int cells) { return static_cast<int>(TruncDiv(100LL * cells, zoom)); };
  auto round = [&](int cells) { return static_cast<int>(RoundDiv(100LL * cells, zoom)); };
  const int sx = trunc(frame.ScrollX / 48), sy = trunc(frame.ScrollY / 32);
  const int spanX = round(frame.WindowWidth / 48), spanY = round(frame.WindowHeight / 32);
  auto visible = [&](int x, int y) {
    return x >= 0 && x <= 999 && y >= 0 && y <= 999 && x >= sx - 1 && x <= sx + spanX &&
           y >= sy - 1 && y <= sy + spanY;
  };
  const int lastRow = trunc(surface.height() / 32) + 2;
  const int lastColumn = trunc(surface.width() / 48) + 2;
  auto left = [&](int x) { return scale.Position(48LL * x); };
  auto top = [&](int y) { return scale.Position(32LL * y); };
  // A big tile of two cells either way fills them and a small tile of one cell fills it, from
  // the cell's corner to the corner of the cell after it; other sizes are drawn at their scaled
  // size from the corner.
  auto tile = [&](TGameImages& lib, int n, int x, int y, int cells, bool keyed) {
    const QImage* bitmap = lib.GetBitmap(n);
    if (!bitmap) return;
    if (bitmap->size() != QSize(kCellWidth * cells, kCellHeight * cells)) {
      if (keyed) {
        DrawScaledTransparent(p, left(x), top(y), lib, n, scale, true);
      } else {
        DrawScaled(p, left(x), top(y), lib, n, scale);
      }
      return;
    }
    const QRect box(QPoint(left(x), top(y)), QPoint(left(x + cells) - 1, top(y + cells) - 1));
    if (keyed) {
      DrawStretchedTransparent(p, box, lib, n);
    } else {
      DrawStretched(p, box, lib, n);
    }
  };

  if (options.ShowBackgroundTile) {
    for (int y = 0; y <= lastRow; ++y) {
      for (int x = 0; x <= lastColumn; ++x) {
        if (!visible(x, y) || x % 2 || y % 2) continue;
        const int n = doc.GetBackTile(x, y);
        if (n >= 0) tile(libs.Tiles(), n, x, y, kBigTileStep, false);
      }
    }
  }
  if (options.ShowMiddleTile) {
    for (int y = 0; y <= lastRow; ++y) {
      for (int x = 0; x <= lastColumn; ++x) {
        if (!visible(x, y)) continue;
        const int n = doc.GetMiddleTile(x, y);
        if (n >= 0) tile(libs.SmTiles(), n, x, y, 1, options.MiddleTransparent);
      }
    }
  }
  if (options.ShowObject) {
    for (int y = 0; y <= lastRow + 8; ++y) {
      for (int x = 0; x <= lastColumn; ++x) {
        if (!visible(x, y)) continue;
        const int i = doc.GetObject(x, y);
        if (i >= 0)
          DrawScaledTransparent(p, left(x), top(y + 1), libs.GetObjectLibrary(i), i % 65535, scale,
                                false);
      }
    }
  }
  p.setFont(font);
  p.setPen(Qt::black);
  const QFontMetrics metrics(font);
  MarkLabels labels;
  labels.SetFont(font);
  auto text = [&](int x, int y, const QString& s) {
    p.drawText(QRect(x, y, metrics.horizontalAdvance(s) + 1, metrics.height()),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, s);
  };
  for (int y = 0; y <= lastRow; ++y) {
    for (int x = 0; x <= lastColumn; ++x) {
      if (!visible(x, y)) continue;
      int offset = 0, door = 0, light = 0;
      if (!doc.GetLightAndDoor(x, y, offset, door, light)) continue;
      if (options.ShowAttribMarks) {
        if (doc.GetBackTileRaw(x, y) & kMarkBit)
          tile(libs.SmTiles(), kBackMarkImage, x, y, 1, true);
        if (doc.HasFrontMark(x, y)) tile(libs.SmTiles(), kFrontMarkImage, x, y, 1, true);
        if (doc.GetAniFrame(x, y) > 0) text(left(x), top(y), "*");
      }
      if (light > 0) tile(libs.SmTiles(), kLightMarkImage, x, y, 1, true);
      // With the marks, small labels inside the cell: the light at the bottom right, the door
      // at the top left, or where its label does not fit, a door marker.
      const QRect cell(QPoint(left(x), top(y)), QPoint(left(x + 1) - 1, top(y + 1) - 1));
      auto fits = [&](const PreparedImage* label) {
        return label && label->Width() <= cell.width() && label->Height() <= cell.height();
      };
      if (light > 0 && options.ShowAttribMarks) {
        const PreparedImage* label = labels.Label(QString::number(light));
        if (fits(label))
          p.drawImage(cell.right() + 1 - label->Width(), cell.bottom() + 1 - label->Height(),
                      label->Pixels);
      }
      if (door > 0 && zoom >= 90) {
        text(left(x), top(y),
             QString("%1%2/%3").arg(door & 0x80 ? "Dx" : "D").arg(door & 0x7F).arg(offset));
      } else if (door > 0 && options.ShowAttribMarks) {
        const PreparedImage* label = labels.Label(MarkLabels::DoorLabel(door, offset));
        if (fits(label)) {
          p.drawImage(cell.topLeft(), label->Pixels);
        } else {
          p.fillRect(
              MarkLabels::DoorMarker(cell.width(), cell.height()).translated(cell.topLeft()),
              QColor::fromRgb(door & 0x80 ? MarkLabels::kCoreDoorColour : MarkLabels::kDoorColour));
        }
      }
    }
  }
  p.setPen(Qt::black);
  p.drawLine(0, surface.height() - 1, surface.width() - 1, surface.height() - 1);
  p.drawLine(surface.width() - 1, surface.height() - 1, surface.width() - 1, 0);
}

}  // namespace hl::test

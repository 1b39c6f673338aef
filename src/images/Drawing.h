#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstdint>
#include <vector>

#include "images/TGameImages.h"
#include "util/Rounding.h"

namespace hl {

// A drawing scale as an exact fraction: the view's zoom in hundredths (Num / 100), the
// export's one eighth, the pickers' halves and quarters.
struct ScaleFactor {
  int Num = 1;
  int Den = 1;

  // A scaled image size: rounded, halves to even.
  int Size(int stored) const { return static_cast<int>(RoundDiv(1LL * stored * Num, Den)); }
  // A scaled position: truncated.
  int Position(long long unscaled) const { return static_cast<int>(TruncDiv(unscaled * Num, Den)); }
  friend bool operator==(const ScaleFactor&, const ScaleFactor&) = default;
};

// A library image scaled and ready to copy: opaque pixels as Format_RGB32, or for keyed
// drawing Format_ARGB32_Premultiplied in which every pixel is either fully opaque or, where
// the image was black, fully transparent. Keyed images also list their opaque runs per row.
struct PreparedImage {
  QImage Pixels;
  bool Keyed = false;
  struct Run {
    std::uint16_t Begin;
    std::uint16_t End;
  };
  std::vector<Run> Runs;
  std::vector<std::uint32_t> RowRuns;  // Runs of row y: [RowRuns[y], RowRuns[y + 1])

  int Width() const { return Pixels.width(); }
  int Height() const { return Pixels.height(); }
};

// Nearest-neighbour scaling: every target pixel takes the source pixel under its centre, so
// whole rows and columns are repeated or dropped and colours never blend.
QImage ScaleNearest(const QImage& source, int width, int height);

// The bitmap form scaled by `scale`, or a null image when a scaled side is 0. Black is keyed
// out by comparing the 32-bit colour exactly: the 16-bit pixel 0x0001 is drawn.
PreparedImage PrepareImage(const QImage& bitmap, ScaleFactor scale, bool keyed);

// Copies a prepared image into `target` (Format_RGB32) with its top-left at (x, y), touching
// only pixels inside `clip` (target coordinates). The same pixels as QPainter::drawImage of
// image.Pixels, without a painter.
void BlitPrepared(QImage& target, int x, int y, const PreparedImage& image, const QRect& clip);

// The library drawing operations, one painter call each, nothing kept between calls.
void DrawScaled(QPainter& canvas, int x, int y, TGameImages& lib, int index, ScaleFactor scale);
void DrawScaledTransparent(QPainter& canvas, int x, int y, TGameImages& lib, int index,
                           ScaleFactor scale, bool topLeft);
// Bitmap unscaled at (x, y), leaving the target alone wherever the pixel equals `key`.
void DrawTransparent(QPainter& target, int x, int y, QRgb key, const QImage& bitmap);

}  // namespace hl

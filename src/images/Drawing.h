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

  // Cached from Pixels for the copy loops: Qt's accessors cost more than small copies.
  const QRgb* Data = nullptr;
  int W = 0;
  int H = 0;
  std::ptrdiff_t Stride = 0;  // in pixels

  int Width() const { return W; }
  int Height() const { return H; }
};

// Where BlitPrepared copies to: the pixels of a Format_RGB32 image and the rectangle of it
// that may change (right and bottom exclusive).
struct BlitTarget {
  QRgb* Bits = nullptr;
  std::ptrdiff_t Stride = 0;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;

  static BlitTarget Of(QImage& image, const QRect& clip);
};

// Copies a prepared image with its top-left at (x, y): the same pixels as QPainter::drawImage
// of image.Pixels clipped to the target's rectangle, without a painter.
constexpr int kNarrowKeyed = 8;
inline void Blit(const BlitTarget& t, int x, int y, const PreparedImage& image) {
  // Zoomed out, most images are a few pixels that lie wholly inside: their rows copy without
  // clipping, and a keyed image's runs follow each other row after row.
  // The sizes are read once: the compiler cannot tell that the pixel stores leave them alone.
  const int w = image.W, h = image.H;
  if (x >= t.Left && y >= t.Top && x + w <= t.Right && y + h <= t.Bottom) {
    const QRgb* src = image.Data;
    const std::ptrdiff_t srcStride = image.Stride, dstStride = t.Stride;
    QRgb* dst = t.Bits + y * dstStride + x;
    if (!image.Keyed) {
      for (int row = 0; row < h; ++row, src += srcStride, dst += dstStride) {
        for (int i = 0; i < w; ++i) dst[i] = src[i];
      }
      return;
    }
    if (w <= kNarrowKeyed) {
      // A pick per pixel costs less than walking runs of one or two pixels.
      for (int row = 0; row < h; ++row, src += srcStride, dst += dstStride) {
        for (int i = 0; i < w; ++i) dst[i] = src[i] >> 24 ? src[i] : dst[i];
      }
      return;
    }
    const PreparedImage::Run* run = image.Runs.data();
    const std::uint32_t* rowEnd = image.RowRuns.data() + 1;
    for (int row = 0; row < h; ++row, src += srcStride, dst += dstStride) {
      for (const PreparedImage::Run* end = image.Runs.data() + rowEnd[row]; run != end; ++run) {
        for (int i = run->Begin; i < run->End; ++i) dst[i] = src[i];
      }
    }
    return;
  }
  const int left = x > t.Left ? x : t.Left;
  const int right = x + image.W < t.Right ? x + image.W : t.Right;
  const int top = y > t.Top ? y : t.Top;
  const int bottom = y + image.H < t.Bottom ? y + image.H : t.Bottom;
  if (left >= right || top >= bottom) return;
  for (int ty = top; ty < bottom; ++ty) {
    const std::ptrdiff_t sy = ty - y;
    const QRgb* src = image.Data + sy * image.Stride - x;
    QRgb* dst = t.Bits + ty * t.Stride;
    if (!image.Keyed) {
      for (int tx = left; tx < right; ++tx) dst[tx] = src[tx];
      continue;
    }
    const auto* run = image.Runs.data() + image.RowRuns[static_cast<std::size_t>(sy)];
    const auto* end = image.Runs.data() + image.RowRuns[static_cast<std::size_t>(sy) + 1];
    for (; run != end; ++run) {
      const int b = x + run->Begin > left ? x + run->Begin : left;
      const int e = x + run->End < right ? x + run->End : right;
      for (int tx = b; tx < e; ++tx) dst[tx] = src[tx];
    }
  }
}

// Nearest-neighbour scaling: every target pixel takes the source pixel under its centre, so
// whole rows and columns are repeated or dropped and colours never blend.
QImage ScaleNearest(const QImage& source, int width, int height);

// The bitmap form scaled by `scale`, or a null image when a scaled side is 0. Black is keyed
// out by comparing the 32-bit colour exactly: the 16-bit pixel 0x0001 is drawn.
PreparedImage PrepareImage(const QImage& bitmap, ScaleFactor scale, bool keyed);
// The same, stretched to `size` whatever the scale would give.
PreparedImage PrepareImage(const QImage& bitmap, QSize size, bool keyed);

// Blit into an image, touching only pixels inside `clip` (target coordinates).
void BlitPrepared(QImage& target, int x, int y, const PreparedImage& image, const QRect& clip);

// The library drawing operations, one painter call each, nothing kept between calls.
void DrawScaled(QPainter& canvas, int x, int y, TGameImages& lib, int index, ScaleFactor scale);
void DrawScaledTransparent(QPainter& canvas, int x, int y, TGameImages& lib, int index,
                           ScaleFactor scale, bool topLeft);
// The image stretched over `box` by the same nearest-neighbour rule: how the map view draws a
// tile into the cells it covers, so that neighbouring tiles meet. An empty box draws nothing.
void DrawStretched(QPainter& canvas, const QRect& box, TGameImages& lib, int index);
void DrawStretchedTransparent(QPainter& canvas, const QRect& box, TGameImages& lib, int index);
// Bitmap unscaled at (x, y), leaving the target alone wherever the pixel equals `key`.
void DrawTransparent(QPainter& target, int x, int y, QRgb key, const QImage& bitmap);

}  // namespace hl

#include "images/Drawing.h"

#include <algorithm>
#include <cstring>

namespace hl {

namespace {

// The stored colour of a pixel as 32 bits, the form in which black is compared.
QImage As32(const QImage& image) {
  return image.format() == QImage::Format_RGB32 ? image
                                                : image.convertToFormat(QImage::Format_RGB32);
}

bool IsKey(QRgb pixel, QRgb key) {
  return (pixel & 0x00FFFFFFu) == (key & 0x00FFFFFFu);
}

// Alpha 0 where the pixel equals the key, fully opaque elsewhere.
QImage Keyed(const QImage& rgb32, QRgb key) {
  QImage out(rgb32.size(), QImage::Format_ARGB32_Premultiplied);
  if (out.isNull()) return out;
  for (int y = 0; y < rgb32.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(rgb32.constScanLine(y));
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < rgb32.width(); ++x)
      dst[x] = IsKey(src[x], key) ? 0u : (src[x] | 0xFF000000u);
  }
  return out;
}

void Finish(PreparedImage& p) {
  p.Data = reinterpret_cast<const QRgb*>(p.Pixels.constBits());
  p.W = p.Pixels.width();
  p.H = p.Pixels.height();
  p.Stride = p.Pixels.bytesPerLine() / 4;
}

}  // namespace

namespace {

// Nearest-neighbour scaling into `format`, each pixel passed through `convert`.
template <class Convert>
QImage Scaled(const QImage& source, int width, int height, QImage::Format format,
              Convert convert) {
  // Any picture may fail to be allocated when memory is short: then there is nothing to draw.
  const QImage src = As32(source);
  if (src.isNull()) return {};
  QImage out(width, height, format);
  if (out.isNull()) return out;
  std::vector<int> columns(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) {
    columns[static_cast<std::size_t>(x)] =
        static_cast<int>((2LL * x + 1) * src.width() / (2LL * width));
  }
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>((2LL * y + 1) * src.height() / (2LL * height));
    const auto* row = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < width; ++x) dst[x] = convert(row[columns[static_cast<std::size_t>(x)]]);
  }
  return out;
}

}  // namespace

QImage ScaleNearest(const QImage& source, int width, int height) {
  if (width == source.width() && height == source.height()) return As32(source);
  return Scaled(source, width, height, QImage::Format_RGB32, [](QRgb p) { return p; });
}

PreparedImage PrepareImage(const QImage& bitmap, ScaleFactor scale, bool keyed) {
  return PrepareImage(bitmap, QSize(scale.Size(bitmap.width()), scale.Size(bitmap.height())),
                      keyed);
}

PreparedImage PrepareImage(const QImage& bitmap, QSize size, bool keyed) {
  PreparedImage p;
  const int w = size.width(), h = size.height();
  if (w <= 0 || h <= 0) return p;
  p.Keyed = keyed;
  if (!keyed) {
    p.Pixels = ScaleNearest(bitmap, w, h);
    if (p.Pixels.isNull()) return p;
    Finish(p);
    return p;
  }
  // Scaled and keyed in one go: a large image is not held twice on the way.
  const QRgb key = qRgb(0, 0, 0);
  p.Pixels = Scaled(bitmap, w, h, QImage::Format_ARGB32_Premultiplied,
                    [key](QRgb pixel) { return IsKey(pixel, key) ? 0u : (pixel | 0xFF000000u); });
  if (p.Pixels.isNull()) return p;
  p.RowRuns.reserve(static_cast<std::size_t>(h) + 1);
  for (int y = 0; y < h; ++y) {
    p.RowRuns.push_back(static_cast<std::uint32_t>(p.Runs.size()));
    const auto* row = reinterpret_cast<const QRgb*>(p.Pixels.constScanLine(y));
    int x = 0;
    while (x < w) {
      while (x < w && qAlpha(row[x]) == 0) ++x;
      const int begin = x;
      while (x < w && qAlpha(row[x]) != 0) ++x;
      if (x > begin) {
        p.Runs.push_back({static_cast<std::uint16_t>(begin), static_cast<std::uint16_t>(x)});
      }
    }
  }
  p.RowRuns.push_back(static_cast<std::uint32_t>(p.Runs.size()));
  Finish(p);
  return p;
}

BlitTarget BlitTarget::Of(QImage& image, const QRect& clip) {
  BlitTarget t;
  const QRect r = clip & image.rect();
  t.Bits = reinterpret_cast<QRgb*>(image.bits());
  t.Stride = image.bytesPerLine() / 4;
  t.Left = r.left();
  t.Top = r.top();
  t.Right = r.left() + r.width();
  t.Bottom = r.top() + r.height();
  return t;
}

void BlitPrepared(QImage& target, int x, int y, const PreparedImage& image, const QRect& clip) {
  if (image.Pixels.isNull()) return;
  Blit(BlitTarget::Of(target, clip), x, y, image);
}

namespace {

void Stretch(QPainter& canvas, const QRect& box, const QImage& bitmap, bool keyed) {
  if (box.width() <= 0 || box.height() <= 0) return;
  const QImage scaled = ScaleNearest(bitmap, box.width(), box.height());
  if (keyed) {
    // One temporary image per call, scaled, then copied with black keyed out.
    DrawTransparent(canvas, box.left(), box.top(), qRgb(0, 0, 0), scaled);
  } else {
    canvas.drawImage(box.topLeft(), scaled);
  }
}

}  // namespace

void DrawScaled(QPainter& canvas, int x, int y, TGameImages& lib, int index, ScaleFactor scale) {
  const QImage* bitmap = lib.GetBitmap(index);
  if (!bitmap) return;
  const int w = scale.Size(bitmap->width()), h = scale.Size(bitmap->height());
  Stretch(canvas, QRect(x, y, w, h), *bitmap, false);
}

void DrawScaledTransparent(QPainter& canvas, int x, int y, TGameImages& lib, int index,
                           ScaleFactor scale, bool topLeft) {
  const QImage* bitmap = lib.GetBitmap(index);
  if (!bitmap) return;
  const int w = scale.Size(bitmap->width()), h = scale.Size(bitmap->height());
  Stretch(canvas, QRect(x, topLeft ? y : y - h, w, h), *bitmap, true);
}

void DrawStretched(QPainter& canvas, const QRect& box, TGameImages& lib, int index) {
  if (const QImage* bitmap = lib.GetBitmap(index)) Stretch(canvas, box, *bitmap, false);
}

void DrawStretchedTransparent(QPainter& canvas, const QRect& box, TGameImages& lib, int index) {
  if (const QImage* bitmap = lib.GetBitmap(index)) Stretch(canvas, box, *bitmap, true);
}

void DrawTransparent(QPainter& target, int x, int y, QRgb key, const QImage& bitmap) {
  target.drawImage(x, y, Keyed(As32(bitmap), key));
}

}  // namespace hl

#include "images/ImagePacking.h"

#include <algorithm>
#include <limits>
#include <map>

namespace hl {

namespace {

constexpr int kCubeR = 6, kCubeG = 7, kCubeB = 6;

// The colour a pixel is stored as, black for transparent pixels.
QRgb Opaque(QRgb p) {
  return qAlpha(p) < 128 ? qRgb(0, 0, 0) : (p | 0xFF000000u);
}

bool IsBlack(QRgb p) {
  return (p & 0x00FFFFFFu) == 0;
}

void SetEntry(WilPalette& palette, int index, QRgb c) {
  palette[4 * index] = static_cast<std::uint8_t>(qBlue(c));
  palette[4 * index + 1] = static_cast<std::uint8_t>(qGreen(c));
  palette[4 * index + 2] = static_cast<std::uint8_t>(qRed(c));
  palette[4 * index + 3] = 0;
}

std::uint8_t NearestIndex(QRgb c, const WilPalette& palette) {
  if (IsBlack(c)) return 0;
  int best = 1;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 1; i < 256; ++i) {
    const std::uint8_t* e = palette.data() + 4 * i;
    const int dr = qRed(c) - e[2], dg = qGreen(c) - e[1], db = qBlue(c) - e[0];
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<std::uint8_t>(best);
}

}  // namespace

WilPalette BuildPalette(std::span<const QImage> pictures) {
  WilPalette palette{};
  std::map<QRgb, int> colours;
  bool tooMany = false;
  for (const QImage& picture : pictures) {
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height() && !tooMany; ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
      for (int x = 0; x < argb.width(); ++x) {
        const QRgb c = Opaque(row[x]);
        if (IsBlack(c)) continue;
        colours.emplace(c, 0);
        if (colours.size() > 255) {
          tooMany = true;
          break;
        }
      }
    }
  }
  if (!tooMany) {
    int index = 1;
    for (const auto& entry : colours) SetEntry(palette, index++, entry.first);
    return palette;
  }
  int index = 1;
  for (int r = 0; r < kCubeR; ++r) {
    for (int g = 0; g < kCubeG; ++g) {
      for (int b = 0; b < kCubeB; ++b) {
        SetEntry(palette, index++,
                 qRgb(r * 255 / (kCubeR - 1), g * 255 / (kCubeG - 1), b * 255 / (kCubeB - 1)));
      }
    }
  }
  return palette;
}

LibraryImage ToLibraryImage(const QImage& picture, int bitCount, const WilPalette& palette) {
  const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
  LibraryImage image;
  image.Width = argb.width();
  image.Height = argb.height();
  const int bytesPerPixel = bitCount / 8;
  image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * bytesPerPixel);
  std::map<QRgb, std::uint8_t> nearest;
  std::uint8_t* out = image.Pixels.data();
  for (int y = 0; y < image.Height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < image.Width; ++x, out += bytesPerPixel) {
      const QRgb c = Opaque(row[x]);
      const auto r = static_cast<std::uint8_t>(qRed(c)), g = static_cast<std::uint8_t>(qGreen(c)),
                 b = static_cast<std::uint8_t>(qBlue(c));
      switch (bitCount) {
        case 8: {
          auto it = nearest.find(c);
          if (it == nearest.end()) it = nearest.emplace(c, NearestIndex(c, palette)).first;
          out[0] = it->second;
          break;
        }
        case 16: {
          const std::uint16_t v = To565(r, g, b);
          out[0] = static_cast<std::uint8_t>(v);
          out[1] = static_cast<std::uint8_t>(v >> 8);
          break;
        }
        default:
          out[0] = b;
          out[1] = g;
          out[2] = r;
          if (bitCount == 32) out[3] = 0;
          break;
      }
    }
  }
  return image;
}

}  // namespace hl

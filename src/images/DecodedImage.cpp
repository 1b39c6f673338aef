#include "images/DecodedImage.h"

#include <algorithm>
#include <cstring>

#include "util/LittleEndian.h"

namespace hl {

namespace {

std::uint16_t TexturePaletteColour(const std::uint8_t* e) {
  if (LoadLE<std::uint32_t>(e) == 0) return 0;
  const int b = std::max(e[0] & 0xF8, 8), g = std::max(e[1] & 0xFC, 8),
            r = std::max(e[2] & 0xF8, 8);
  return static_cast<std::uint16_t>(r << 8 | g << 3 | b >> 3);
}

std::array<std::uint16_t, 256> PaletteTo565(const WilPalette& palette, bool texture) {
  std::array<std::uint16_t, 256> colours{};
  for (int i = 0; i < 256; ++i) {
    const std::uint8_t* e = palette.data() + 4 * i;
    colours[i] = texture ? TexturePaletteColour(e) : To565(e[2], e[1], e[0]);
  }
  return colours;
}

void PaletteRowTo565(const std::uint8_t* src, int width, const std::array<std::uint16_t, 256>& lut,
                     std::uint8_t* dst) {
  for (int x = 0; x < width; ++x) StoreLE<std::uint16_t>(dst + 2 * x, lut[src[x]]);
}

void TrueColourRowTo565(const std::uint8_t* src, int width, int bytesPerPixel, std::uint8_t* dst) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* p = src + x * bytesPerPixel;
    StoreLE<std::uint16_t>(dst + 2 * x, To565(p[2], p[1], p[0]));
  }
}

}  // namespace

QImage MakeBitmapForm(const DecodedImage& image, const WilPalette* palette) {
  const int w = image.Width, h = image.Height;
  switch (image.BitsPerPixel) {
    case 8: {
      if (!palette) return {};
      QImage out(w, h, QImage::Format_RGB16);
      if (out.isNull()) return {};
      const auto lut = PaletteTo565(*palette, false);
      for (int y = 0; y < h; ++y) PaletteRowTo565(image.Row(y), w, lut, out.scanLine(y));
      return out;
    }
    case 16: {
      QImage out(w, h, QImage::Format_RGB16);
      if (out.isNull()) return {};
      for (int y = 0; y < h; ++y) std::memcpy(out.scanLine(y), image.Row(y), image.RowBytes());
      return out;
    }
    case 24: {
      QImage out(w, h, QImage::Format_BGR888);
      if (out.isNull()) return {};
      for (int y = 0; y < h; ++y) std::memcpy(out.scanLine(y), image.Row(y), image.RowBytes());
      return out;
    }
    case 32: {
      QImage out(w, h, QImage::Format_RGB32);
      if (out.isNull()) return {};
      for (int y = 0; y < h; ++y) {
        std::uint8_t* dst = out.scanLine(y);
        std::memcpy(dst, image.Row(y), image.RowBytes());
        // Format_RGB32 wants the unused byte at 0xFF.
        for (int x = 0; x < w; ++x) dst[4 * x + 3] = 0xFF;
      }
      return out;
    }
    default:
      return {};
  }
}

TTexture MakeTextureForm(const DecodedImage& image, const WilPalette* palette) {
  TTexture t;
  t.SetSize(image.Width, image.Height);
  if (image.BitsPerPixel == 8 && !palette) return t;
  const auto lut =
      image.BitsPerPixel == 8 ? PaletteTo565(*palette, true) : std::array<std::uint16_t, 256>{};
  for (int y = 0; y < image.Height; ++y) {
    std::uint8_t* dst = t.ScanLine(y);
    switch (image.BitsPerPixel) {
      case 8:
        PaletteRowTo565(image.Row(y), image.Width, lut, dst);
        break;
      case 16:
        std::memcpy(dst, image.Row(y), image.RowBytes());
        break;
      case 24:
        TrueColourRowTo565(image.Row(y), image.Width, 3, dst);
        break;
      case 32:
        TrueColourRowTo565(image.Row(y), image.Width, 4, dst);
        break;
      default:
        break;
    }
  }
  return t;
}

}  // namespace hl

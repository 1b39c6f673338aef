#include "images/TTexture.h"

#include "util/LittleEndian.h"

namespace hl {

void TTexture::SetSize(int width, int height) {
  if (width == Width && height == Height) return;
  Width = width;
  Height = height;
  Pitch = PitchFor(width, BitCount);
  Bits.assign(static_cast<std::size_t>(Pitch) * static_cast<std::size_t>(height), 0);
}

std::uint8_t* TTexture::ScanLine(int y) {
  if (y < 0 || y >= Height) return nullptr;
  return Bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Pitch);
}

const std::uint8_t* TTexture::ScanLine(int y) const {
  return const_cast<TTexture*>(this)->ScanLine(y);
}

std::uint16_t TTexture::Pixel(int x, int y) const {
  const std::uint8_t* row = ScanLine(y);
  if (!row || x < 0 || x >= Width) return 0;
  return LoadLE<std::uint16_t>(row + 2 * x);
}

}  // namespace hl

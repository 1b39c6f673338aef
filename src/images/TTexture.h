#pragma once

#include <cstdint>
#include <vector>

namespace hl {

// An image as plain 16-bit 5-6-5 pixels, rows top-down and padded to 4 bytes. The pixel value
// 0 marks a transparent pixel.
class TTexture {
 public:
  int Height = 0;
  int Width = 0;
  int Pitch = 0;  // bytes per row
  std::vector<std::uint8_t> Bits;
  std::uint8_t BitCount = 16;

  static int PitchFor(int width, int bitCount) { return (bitCount * width + 31) / 32 * 4; }

  // Zero-filled pixels of the new size; nothing happens when the size is unchanged.
  void SetSize(int width, int height);
  std::uint8_t* GetBits() { return Bits.data(); }
  const std::uint8_t* GetBits() const { return Bits.data(); }
  // Row y counted from the top, or nullptr outside 0 .. Height - 1.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  std::uint16_t Pixel(int x, int y) const;
};

}  // namespace hl

#pragma once

#include <array>
#include <optional>

#include "images/DecodedImage.h"
#include "images/TGameImages.h"

namespace hl {

// Data libraries: one .Data file with a header, an index of record positions and 16-bit
// 5-6-5 images, raw or compressed with one method for the whole library.
class TFirImages : public TGameImages {
 public:
  static constexpr int kHeaderSize = 60;
  static constexpr int kRecordHeaderSize = 12;
  // Images with fewer pixels are stored raw whatever the method.
  static constexpr int kSmallestCompressed = 5;

  using TGameImages::TGameImages;

  void Open() override;

  int CompressionMethod = 0;
  std::array<std::uint8_t, kHeaderSize> Header{};

  // The library name Open really reads: same folder and name, extension ".Data".
  static std::string DataFileName(const std::string& libraryName);
  static int RawRowBytes(int width) { return (16 * width + 31) / 32 * 4; }

  std::optional<DecodedImage> ReadImage(std::int32_t position) override;
  std::optional<QSize> ReadImageSize(std::int32_t position) override;

 private:
  void LoadIndex(std::uint64_t indexOffset);
};

}  // namespace hl

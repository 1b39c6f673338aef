#pragma once

#include <array>
#include <optional>

#include "images/DecodedImage.h"
#include "images/TGameImages.h"

namespace hl {

// Wil libraries: a .wil file with a 256-colour palette and image records of 8, 16, 24 or 32
// bits per pixel, and a .WIX index beside it listing where each record starts. Two layouts
// exist; they differ in the sizes of the three headers.
class TWilImages : public TGameImages {
 public:
  static constexpr int kNewerHeaderSize = 60;
  static constexpr int kOlderHeaderSize = 56;

  using TGameImages::TGameImages;

  void Open() override;

  bool OlderLayout = false;
  std::array<std::uint8_t, kNewerHeaderSize> Header{};
  WilPalette Palette{};

  // The index file name for a library name: same folder and name, extension ".WIX".
  static std::string IndexFileName(const std::string& libraryName);
  static int RowBytes8(int width) { return (width * 8 + 31) / 32 * 4; }

  // 8-bit images come at their padded width.
  std::optional<DecodedImage> ReadImage(std::int32_t position) override;
  std::optional<QSize> ReadImageSize(std::int32_t position) override;
  const WilPalette* ImagePalette() const override { return &Palette; }

 private:
  bool LoadPalette();
  void LoadIndex(const std::string& indexName);
  int ImageHeaderSize() const { return OlderLayout ? 8 : 12; }
};

}  // namespace hl

#include "images/TWilImages.h"

#include <algorithm>

#include "images/codec/LibraryCount.h"
#include "util/FileLookup.h"
#include "util/LittleEndian.h"
#include "util/TextHelpers.h"

namespace hl {

namespace {

constexpr int kColourCountOffset = 48;
constexpr int kIndexCountOffset = 44;
constexpr int kOlderIndexHeader = 48;
constexpr int kNewerIndexHeader = 52;

int BitCountFromColours(std::int32_t colours) {
  switch (colours) {
    case 256:
      return 8;
    case 65536:
      return 16;
    case 16777216:
      return 24;
    default:
      return 32;
  }
}

}  // namespace

std::string TWilImages::IndexFileName(const std::string& libraryName) {
  return DirectoryPart(libraryName) + FileNameOnly(libraryName) + ".WIX";
}

void TWilImages::Open() {
  if (Initialized) return;
  const auto path = FindFileIgnoringCase(FileName);
  if (!path || !file_.Open(*path)) return;

  if (file_.ReadAt(0, Header) != Header.size()) {
    file_.Close();
    return;
  }
  const std::int32_t colours = LoadLE<std::int32_t>(Header.data() + kColourCountOffset);
  OlderLayout = WilOlderLayout(Header);
  BitCount = static_cast<std::uint8_t>(BitCountFromColours(colours));
  // Every image needs at least a record header in the file, which bounds what a damaged or
  // hostile count can make us allocate.
  const std::optional<int> count = WilImageCount(Header, file_.Size());
  if (!count || !LoadPalette()) {
    file_.Close();
    return;
  }
  ImageCount = *count;
  AllocateImages(ImageCount);

  LoadIndex(IndexFileName(FileName));
  Initialized = true;
}

bool TWilImages::LoadPalette() {
  const std::uint64_t at = OlderLayout ? kOlderHeaderSize : kNewerHeaderSize;
  return file_.ReadAt(at, Palette) == Palette.size();
}

void TWilImages::LoadIndex(const std::string& indexName) {
  LoadPositions(file_, 0, 0);
  const auto path = FindFileIgnoringCase(indexName);
  if (!path) return;
  FileReader index;
  if (!index.Open(*path)) return;
  const int headerSize = OlderLayout ? kOlderIndexHeader : kNewerIndexHeader;
  std::array<std::uint8_t, kNewerIndexHeader> header{};
  if (index.ReadAt(0, std::span(header).first(headerSize)) !=
      static_cast<std::size_t>(headerSize)) {
    return;
  }
  const std::int32_t stated = LoadLE<std::int32_t>(header.data() + kIndexCountOffset);
  const std::uint64_t room =
      index.Size() > static_cast<std::uint64_t>(headerSize) ? (index.Size() - headerSize) / 4 : 0;
  const auto count = static_cast<std::size_t>(
      std::clamp<std::int64_t>(stated, 0, static_cast<std::int64_t>(room)));
  LoadPositions(index, static_cast<std::uint64_t>(headerSize), count);
}

std::optional<QSize> TWilImages::ReadImageSize(std::int32_t position) {
  if (position < 0) return std::nullopt;
  std::array<std::uint8_t, 4> header{};
  if (file_.ReadAt(static_cast<std::uint64_t>(position), header) != header.size()) {
    return std::nullopt;
  }
  const int width = LoadLE<std::int16_t>(header.data());
  const int height = LoadLE<std::int16_t>(header.data() + 2);
  if (width < 1 || height < 1) return std::nullopt;
  const int stored = BitCount == 8 ? RowBytes8(width) : width;
  if (static_cast<std::int64_t>(stored) * height > kMaxImagePixels) return std::nullopt;
  return QSize(stored, height);
}

std::optional<DecodedImage> TWilImages::ReadImage(std::int32_t position) {
  if (position < 0) return std::nullopt;
  std::array<std::uint8_t, 12> header{};
  const auto headerBytes = std::span(header).first(static_cast<std::size_t>(ImageHeaderSize()));
  if (file_.ReadAt(static_cast<std::uint64_t>(position), headerBytes) != headerBytes.size()) {
    return std::nullopt;
  }
  DecodedImage image;
  const int width = LoadLE<std::int16_t>(header.data());
  image.Height = LoadLE<std::int16_t>(header.data() + 2);
  image.PX = LoadLE<std::int16_t>(header.data() + 4);
  image.PY = LoadLE<std::int16_t>(header.data() + 6);
  if (width < 1 || image.Height < 1) return std::nullopt;
  image.BitsPerPixel = BitCount;
  // Palette rows are stored padded to 4 bytes and delivered at that width; true-colour rows
  // are stored without padding.
  image.Width = BitCount == 8 ? RowBytes8(width) : width;
  if (static_cast<std::int64_t>(image.Width) * image.Height > kMaxImagePixels) return std::nullopt;

  const std::size_t rowBytes = image.RowBytes();
  image.Rows.resize(rowBytes * static_cast<std::size_t>(image.Height));
  const std::uint64_t data = static_cast<std::uint64_t>(position) + headerBytes.size();
  if (file_.ReadAt(data, image.Rows) != image.Rows.size()) return std::nullopt;
  // Stored bottom-up.
  for (int top = 0, bottom = image.Height - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(image.Rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * top),
                     image.Rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * (top + 1)),
                     image.Rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * bottom));
  }
  return image;
}

}  // namespace hl

#include "images/TFirImages.h"

#include <algorithm>
#include <cstring>

#include "images/codec/Decompress.h"
#include "images/codec/LibraryCount.h"
#include "util/FileLookup.h"
#include "util/LittleEndian.h"
#include "util/TextHelpers.h"

namespace hl {

namespace {
constexpr int kMethodOffset = 58;
}  // namespace

std::string TFirImages::DataFileName(const std::string& libraryName) {
  return DirectoryPart(libraryName) + FileNameOnly(libraryName) + ".Data";
}

void TFirImages::Open() {
  if (Initialized) return;
  FileName = DataFileName(FileName);
  const auto path = FindFileIgnoringCase(FileName);
  if (!path || !file_.Open(*path)) return;
  BitCount = 16;
  if (file_.ReadAt(0, Header) != Header.size()) {
    file_.Close();
    return;
  }
  CompressionMethod = LoadLE<std::uint16_t>(Header.data() + kMethodOffset);
  const std::int64_t indexOffset = DataIndexOffset(Header);
  // Each image has its entry in the index, which must lie in the file: that bounds what a
  // damaged or hostile count can make us allocate.
  const std::uint64_t size = file_.Size();
  ImageCount = DataImageCount(Header, size);
  AllocateImages(ImageCount);
  LoadIndex(indexOffset < 0 ? size : static_cast<std::uint64_t>(indexOffset));
  Initialized = true;
}

void TFirImages::LoadIndex(std::uint64_t indexOffset) {
  LoadPositions(file_, indexOffset, static_cast<std::size_t>(ImageCount));
}

std::optional<QSize> TFirImages::ReadImageSize(std::int32_t position) {
  if (position < 0) return std::nullopt;
  std::array<std::uint8_t, 4> header{};
  if (file_.ReadAt(static_cast<std::uint64_t>(position), header) != header.size())
    return std::nullopt;
  const int width = LoadLE<std::int16_t>(header.data());
  const int height = LoadLE<std::int16_t>(header.data() + 2);
  if (width < 1 || height < 1) return std::nullopt;
  if (static_cast<std::int64_t>(width) * height > kMaxImagePixels) return std::nullopt;
  return QSize(width, height);
}

std::optional<DecodedImage> TFirImages::ReadImage(std::int32_t position) {
  if (position < 0) return std::nullopt;
  std::array<std::uint8_t, kRecordHeaderSize> header{};
  if (file_.ReadAt(static_cast<std::uint64_t>(position), header) != header.size())
    return std::nullopt;
  DecodedImage image;
  image.Width = LoadLE<std::int16_t>(header.data());
  image.Height = LoadLE<std::int16_t>(header.data() + 2);
  image.PX = LoadLE<std::int16_t>(header.data() + 4);
  image.PY = LoadLE<std::int16_t>(header.data() + 6);
  const std::int32_t length = LoadLE<std::int32_t>(header.data() + 8);
  image.BitsPerPixel = 16;
  if (image.Width < 1 || image.Height < 1 || length < 0) return std::nullopt;
  if (CompressionMethod < 0 || CompressionMethod > 4) return std::nullopt;  // no decoder for it
  const std::int64_t pixels = static_cast<std::int64_t>(image.Width) * image.Height;
  if (pixels > kMaxImagePixels) return std::nullopt;

  const std::uint64_t dataAt = static_cast<std::uint64_t>(position) + kRecordHeaderSize;
  if (dataAt + static_cast<std::uint64_t>(length) > file_.Size()) return std::nullopt;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(length));
  if (file_.ReadAt(dataAt, data) != data.size()) return std::nullopt;

  const std::size_t rowBytes = image.RowBytes();
  image.Rows.assign(rowBytes * static_cast<std::size_t>(image.Height), 0);
  if (CompressionMethod == 0 || pixels < kSmallestCompressed) {
    // Raw rows padded to 4 bytes. A compressed library hands tiny images through its
    // decoder's buffer, which holds width x height x 2 bytes.
    const std::size_t padded = static_cast<std::size_t>(RawRowBytes(image.Width));
    const std::size_t limit = CompressionMethod == 0
                                  ? padded * static_cast<std::size_t>(image.Height)
                                  : static_cast<std::size_t>(pixels) * 2;
    const std::size_t available = std::min(data.size(), limit);
    for (int y = 0; y < image.Height; ++y) {
      const std::size_t from = padded * static_cast<std::size_t>(y);
      if (from >= available) break;
      std::memcpy(image.Rows.data() + rowBytes * static_cast<std::size_t>(y), data.data() + from,
                  std::min(rowBytes, available - from));
    }
    return image;
  }
  // Compressed rows are unpadded, so the output is the picture row after row; what the
  // stream does not produce stays black.
  if (!Decompress(CompressionMethod, data, image.Rows)) return std::nullopt;
  return image;
}

}  // namespace hl

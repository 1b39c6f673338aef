#include "images/codec/LibraryCount.h"

#include <algorithm>

#include "util/FileLookup.h"
#include "util/FileReader.h"
#include "util/LittleEndian.h"

namespace hl {

namespace {

constexpr int kWilImageCountOffset = 44;
constexpr int kWilColourCountOffset = 48;
constexpr int kWilLayoutOffset = 56;
constexpr std::uint64_t kWilNewerHeaderSize = 60;
constexpr std::uint64_t kWilOlderHeaderSize = 56;
constexpr std::uint64_t kWilPaletteSize = 1024;
constexpr std::uint64_t kWilSmallestImageHeader = 8;

constexpr int kDataImageCountOffset = 48;
constexpr int kDataIndexOffsetOffset = 52;

}  // namespace

bool WilOlderLayout(const LibraryHeader& header) {
  const std::int32_t colours = LoadLE<std::int32_t>(header.data() + kWilColourCountOffset);
  return LoadLE<std::int32_t>(header.data() + kWilLayoutOffset) == 0 || colours == 65536;
}

std::optional<int> WilImageCount(const LibraryHeader& header, std::uint64_t fileSize) {
  const std::uint64_t paletteEnd =
      (WilOlderLayout(header) ? kWilOlderHeaderSize : kWilNewerHeaderSize) + kWilPaletteSize;
  if (fileSize < paletteEnd) return std::nullopt;
  const std::uint64_t room = fileSize - paletteEnd;
  const std::int64_t stated = LoadLE<std::int32_t>(header.data() + kWilImageCountOffset);
  return static_cast<int>(std::clamp<std::int64_t>(
      stated, 0, static_cast<std::int64_t>(room / kWilSmallestImageHeader)));
}

std::int64_t DataIndexOffset(const LibraryHeader& header) {
  const std::int64_t offset = LoadLE<std::int32_t>(header.data() + kDataIndexOffsetOffset);
  return offset == 0 ? static_cast<std::int64_t>(kLibraryHeaderSize) : offset;
}

int DataImageCount(const LibraryHeader& header, std::uint64_t fileSize) {
  const std::int64_t indexOffset = DataIndexOffset(header);
  const std::uint64_t room = indexOffset >= 0 && static_cast<std::uint64_t>(indexOffset) < fileSize
                                 ? (fileSize - static_cast<std::uint64_t>(indexOffset)) / 4
                                 : 0;
  const std::int64_t stated = LoadLE<std::int32_t>(header.data() + kDataImageCountOffset);
  return static_cast<int>(std::clamp<std::int64_t>(stated, 0, static_cast<std::int64_t>(room)));
}

std::optional<int> LibraryImageCount(const std::string& path, LibraryFormat format) {
  const auto found = FindFileIgnoringCase(path);
  FileReader file;
  if (!found || !file.Open(*found)) return std::nullopt;
  LibraryHeader header{};
  if (file.ReadAt(0, header) != header.size()) return std::nullopt;
  if (format == LibraryFormat::Wil) return WilImageCount(header, file.Size());
  return DataImageCount(header, file.Size());
}

}  // namespace hl

#include "map/MapFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <vector>

#include "util/FileReader.h"
#include "util/LittleEndian.h"
#include "util/SafeFileWriter.h"

namespace hl {

namespace {

constexpr std::size_t kTitleOffset = 4;
constexpr std::size_t kDateTimeOffset = 21;
constexpr std::size_t kBitCountOffset = 29;
constexpr std::uint8_t kLibrary7 = 7;
constexpr std::uint8_t kLibrary6 = 6;
constexpr int kLibrary7Shift = 9999;

std::span<std::uint8_t> ColumnBytes(CellStorage::Column& column, int rows) {
  return {reinterpret_cast<std::uint8_t*>(column.data()),
          static_cast<std::size_t>(rows) * sizeof(TMapCell)};
}

std::span<const std::uint8_t> ColumnBytes(const CellStorage::Column& column, int rows) {
  return {reinterpret_cast<const std::uint8_t*>(column.data()),
          static_cast<std::size_t>(rows) * sizeof(TMapCell)};
}

bool FitsStorage(int width, int height) {
  return width >= 0 && height >= 0 && width <= CellStorage::kSide && height <= CellStorage::kSide;
}

constexpr char kOutOfMemory[] = "out of memory";

// A read that failed on the way, in the system's words.
std::string ReadFailure() {
  const int error = errno;
  std::string words = error != 0 ? std::strerror(error) : "the file could not be read";
  if (!words.empty())
    words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
  return "reading failed: " + words;
}

}  // namespace

std::string MapSizeProblem(int width, int height) {
  // A header without columns or rows is refused by every loader: over an existing file it
  // would make the whole file unreadable.
  if (width < 1 || height < 1) {
    return "a map of 0 columns or rows cannot be saved, as no editor could open it again. "
           "Resize it first.";
  }
  if (!FitsStorage(width, height)) {
    return "a map of " + std::to_string(width) + " x " + std::to_string(height) +
           " cells is larger than the " + std::to_string(CellStorage::kSide) + " x " +
           std::to_string(CellStorage::kSide) + " cells a map can hold";
  }
  return {};
}

std::string TMapHeader::TitleText() const {
  const std::size_t length = std::min<std::size_t>(Title[0], Title.size() - 1);
  return std::string(reinterpret_cast<const char*>(Title.data() + 1), length);
}

std::array<std::uint8_t, kMapHeaderSize> EncodeMapHeader(int width, int height,
                                                         std::uint8_t mapBitCount) {
  // Bytes the format leaves open, the date included, are written as zero.
  std::array<std::uint8_t, kMapHeaderSize> bytes{};
  StoreLE<std::uint16_t>(bytes.data(), static_cast<std::uint16_t>(width));
  StoreLE<std::uint16_t>(bytes.data() + 2, static_cast<std::uint16_t>(height));
  constexpr std::size_t titleLength = sizeof(kMapTitle) - 1;
  bytes[kTitleOffset] = static_cast<std::uint8_t>(titleLength);
  std::memcpy(bytes.data() + kTitleOffset + 1, kMapTitle, titleLength);
  bytes[kBitCountOffset] = mapBitCount;
  return bytes;
}

TMapHeader DecodeMapHeader(const std::array<std::uint8_t, kMapHeaderSize>& bytes) {
  TMapHeader h;
  h.Width = LoadLE<std::uint16_t>(bytes.data());
  h.Height = LoadLE<std::uint16_t>(bytes.data() + 2);
  std::memcpy(h.Title.data(), bytes.data() + kTitleOffset, h.Title.size());
  h.DateTime = LoadLE<double>(bytes.data() + kDateTimeOffset);
  h.MapBitCount = bytes[kBitCountOffset];
  return h;
}

LoadResult LoadMap(MapDocument& doc, const std::string& fileName, TMapHeader* header) {
  FileReader file;
  if (!file.Open(fileName)) return FileReadFailure(fileName);
  auto refuse = [&](const std::string& reason) { return LoadResult::CannotRead(fileName, reason); };

  std::array<std::uint8_t, kMapHeaderSize> headerBytes{};
  const std::size_t headerRead = file.Read(headerBytes);
  if (file.Failed()) return refuse(ReadFailure());
  if (headerRead == 0) return refuse("not a map file: the file is empty");
  if (headerRead != headerBytes.size()) {
    return refuse("not a map file: the header is " + std::to_string(headerRead) + " bytes, not " +
                  std::to_string(kMapHeaderSize));
  }
  const TMapHeader h = DecodeMapHeader(headerBytes);
  const int width = h.Width;
  const int height = h.Height;
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " cells";
  if (width == 0 || height == 0) return refuse("not a map file: its header says " + size);
  if (!FitsStorage(width, height)) {
    const std::string side = std::to_string(CellStorage::kSide);
    return refuse(size + " is larger than the " + side + " x " + side + " the editor holds");
  }

  // The cells are read into a storage of their own and only handed to the document once
  // the read has gone through, so a failing file cannot leave a half-loaded map behind. Only
  // the columns of the map take memory: the others stay the shared empty column.
  std::size_t columnsRead = 0;
  try {
    CellStorage cells;
    std::vector<std::span<std::uint8_t>> pieces;
    pieces.reserve(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) pieces.push_back(ColumnBytes(cells.FreshColumn(x), height));
    std::size_t got = file.ReadScatter(pieces);
    if (file.Failed()) return refuse(ReadFailure());
    columnsRead = got / pieces[0].size();
    // Whatever the file did not supply is empty: the rows below the map and the cells a short
    // file leaves out.
    for (int x = 0; x < width; ++x) {
      const std::size_t filled = std::min(got, pieces[x].size());
      got -= filled;
      if (filled == 0) {
        cells.ClearColumn(x);
        continue;
      }
      std::memset(pieces[x].data() + filled, 0, CellStorage::kColumnBytes - filled);
    }
    doc.ReplaceCells(std::move(cells), width, height);
  } catch (const std::bad_alloc&) {
    return refuse(kOutOfMemory);
  }
  if (header) *header = h;
  if (columnsRead < static_cast<std::size_t>(width)) {
    // Saving such a map writes the empty cells over the damaged file: the user must know
    // before choosing to.
    return LoadResult::ReadWithWarning(
        "'" + fileName + "' is shorter than its header says: " + std::to_string(columnsRead) +
        " of " + std::to_string(width) + " columns were read; the rest is empty");
  }
  return {};
}

int RemapLibrary7(MapDocument& doc) {
  const int width = std::clamp(doc.MapWidth(), 0, CellStorage::kSide);
  const int height = std::clamp(doc.MapHeight(), 0, CellStorage::kSide);
  int kept = 0;
  for (int x = 0; x < width; ++x) {
    const CellStorage::Column& view = doc.Cells().ColumnAt(x);
    const bool any = std::any_of(view.begin(), view.begin() + height,
                                 [](const TMapCell& c) { return c.ObjectLib == kLibrary7; });
    if (!any) continue;
    CellStorage::Column& column = doc.WritableColumn(x);
    for (int y = 0; y < height; ++y) {
      TMapCell& c = column[y];
      if (c.ObjectLib != kLibrary7) continue;
      const int number = c.ObjectImage & kNumberBits;
      const int mark = c.ObjectImage & kMarkBit;
      if (number == 0) {
        // No object: shifting would conjure up image 9998 of library 6 in an empty cell.
        c.ObjectLib = kLibrary6;
      } else if (!StaysInLibrary7(c)) {
        c.ObjectImage = static_cast<std::uint16_t>((number + kLibrary7Shift) | mark);
        c.ObjectLib = kLibrary6;
      } else {
        ++kept;
      }
    }
  }
  return kept;
}

namespace {

SaveResult WriteCells(const MapDocument& doc, SafeFileWriter& file, const std::string& fileName,
                      const std::array<std::uint8_t, kMapHeaderSize>& headerBytes) {
  const int width = doc.MapWidth();
  const int height = doc.MapHeight();
  std::vector<std::span<const std::uint8_t>> pieces;
  pieces.reserve(static_cast<std::size_t>(width) + 1);
  pieces.emplace_back(headerBytes);
  for (int x = 0; x < width; ++x) pieces.push_back(ColumnBytes(doc.Cells().ColumnAt(x), height));
  // Whatever errno the opening left behind is no reason for a failure from here on.
  errno = 0;
  file.WriteGather(pieces);
  if (!file.Commit()) return FileWriteFailure(fileName);
  return {};
}

}  // namespace

SaveResult SaveMap(MapDocument& doc, const std::string& fileName, std::uint8_t mapBitCount,
                   SaveMapReport* report) {
  if (const std::string problem = MapSizeProblem(doc.MapWidth(), doc.MapHeight());
      !problem.empty()) {
    return SaveResult::CannotWrite(fileName, problem);
  }

  SafeFileWriter file;
  if (!file.Open(fileName, SafeFileWriter::OldTail::Keep)) return FileWriteFailure(fileName);

  int kept = 0;
  try {
    kept = RemapLibrary7(doc);
  } catch (const std::bad_alloc&) {
    return SaveResult::CannotWrite(fileName, kOutOfMemory);
  }
  if (report) report->KeptInLibrary7 = kept;
  return WriteCells(doc, file, fileName,
                    EncodeMapHeader(doc.MapWidth(), doc.MapHeight(), mapBitCount));
}

SaveResult WriteMapCopy(const MapDocument& doc, const std::string& fileName,
                        std::uint8_t mapBitCount, WriteOptions options) {
  if (const std::string problem = MapSizeProblem(doc.MapWidth(), doc.MapHeight());
      !problem.empty()) {
    return SaveResult::CannotWrite(fileName, problem);
  }
  SafeFileWriter file;
  try {
    if (!file.Open(fileName, SafeFileWriter::OldTail::Drop, options)) {
      return FileWriteFailure(fileName);
    }
    return WriteCells(doc, file, fileName,
                      EncodeMapHeader(doc.MapWidth(), doc.MapHeight(), mapBitCount));
  } catch (const std::bad_alloc&) {
    return SaveResult::CannotWrite(fileName, kOutOfMemory);
  }
}

SaveResult WriteMapWithHeader(const MapDocument& doc, const std::string& fileName,
                              std::array<std::uint8_t, kMapHeaderSize> header) {
  if (const std::string problem = MapSizeProblem(doc.MapWidth(), doc.MapHeight());
      !problem.empty()) {
    return SaveResult::CannotWrite(fileName, problem);
  }
  StoreLE<std::uint16_t>(header.data(), static_cast<std::uint16_t>(doc.MapWidth()));
  StoreLE<std::uint16_t>(header.data() + 2, static_cast<std::uint16_t>(doc.MapHeight()));
  SafeFileWriter file;
  try {
    if (!file.Open(fileName, SafeFileWriter::OldTail::Drop)) return FileWriteFailure(fileName);
    return WriteCells(doc, file, fileName, header);
  } catch (const std::bad_alloc&) {
    return SaveResult::CannotWrite(fileName, kOutOfMemory);
  }
}

std::optional<std::array<std::uint8_t, kMapHeaderSize>> ReadMapHeaderBytes(
    const std::string& fileName) {
  FileReader file;
  std::array<std::uint8_t, kMapHeaderSize> bytes{};
  if (!file.Open(fileName) || file.Read(bytes) != bytes.size()) return std::nullopt;
  return bytes;
}

bool StaysInLibrary7(const TMapCell& cell) {
  const int number = cell.ObjectImage & kNumberBits;
  return cell.ObjectLib == kLibrary7 && number != 0 && number + kLibrary7Shift > kNumberBits;
}

}  // namespace hl

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "map/LibraryFormat.h"
#include "map/MapDocument.h"
#include "util/LoadResult.h"
#include "util/SafeFileWriter.h"
#include "util/SaveResult.h"

namespace hl {

inline constexpr std::size_t kMapHeaderSize = 52;
inline constexpr char kMapTitle[] = "Quiet Harbour";

// The 52-byte map file header.
struct TMapHeader {
  std::uint16_t Width = 0;
  std::uint16_t Height = 0;
  std::array<std::uint8_t, 17> Title{};  // length byte, then up to 16 characters
  double DateTime = 0.0;
  std::uint8_t MapBitCount = 0;

  // The characters the length byte announces, at most 16.
  std::string TitleText() const;
};

std::array<std::uint8_t, kMapHeaderSize> EncodeMapHeader(int width, int height,
                                                         std::uint8_t mapBitCount);
TMapHeader DecodeMapHeader(const std::array<std::uint8_t, kMapHeaderSize>& bytes);

// Reads a map file into the document. A file that cannot be used (missing, unreadable,
// shorter than the header, zero or more than kStorageSide columns or rows, or failing while read)
// leaves the document exactly as it was, and the result says why. A file shorter than its
// header promises loads with the missing cells empty and a warning that says how much was read.
// On success the undo history is empty.
LoadResult LoadMap(MapDocument& doc, const std::string& fileName, TMapHeader* header = nullptr);

struct SaveMapReport {
  // Cells of object library 7 whose image number cannot be expressed in library 6; they are
  // written as they are.
  int KeptInLibrary7 = 0;
};

// Why a map of this size cannot be saved (0 columns or rows, which no loader takes back, or more
// than the storage holds); empty when it can. SaveMap and WriteMapCopy refuse such maps with
// this reason; the editor asks before its save dialog, so that nobody picks a file in vain.
std::string MapSizeProblem(int width, int height);

// Writes the document as a map file. A map MapSizeProblem finds fault with is not written.
// Object library 7 is moved to library 6 in the document itself first. The previous file is
// replaced only once the new content is complete; bytes of a longer previous file past the new
// end are kept.
SaveResult SaveMap(MapDocument& doc, const std::string& fileName, std::uint8_t mapBitCount,
                   SaveMapReport* report = nullptr);

// Writes the cells exactly as they are, without the library move and replacing the whole
// file: copies the editor keeps for itself, which must not change the document. `options` say
// how a link at the name is treated and who may read the copy.
SaveResult WriteMapCopy(const MapDocument& doc, const std::string& fileName,
                        std::uint8_t mapBitCount, WriteOptions options = {});

// Writes the cells exactly as they are under the given header bytes, whose width and height
// become the document's: a map brought back from elsewhere keeps its title, date and the bytes
// the format leaves open. Replaces the whole file, as WriteMapCopy.
SaveResult WriteMapWithHeader(const MapDocument& doc, const std::string& fileName,
                              std::array<std::uint8_t, kMapHeaderSize> header);

// The first kMapHeaderSize bytes of a file as they stand; nothing when it is shorter or unreadable.
std::optional<std::array<std::uint8_t, kMapHeaderSize>> ReadMapHeaderBytes(
    const std::string& fileName);

// Whether a save keeps this cell in object library 7: its image number (+ 1) is too large to
// take the shift into library 6.
bool StaysInLibrary7(const TMapCell& cell);

// The library 7 to 6 move of the save, on the cells in use; returns the count of cells that
// have to stay in library 7.
int RemapLibrary7(MapDocument& doc);

}  // namespace hl

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "map/LibraryFormat.h"

namespace hl {

// How many images a library file holds, as the editor's libraries count them. Qt-free, so
// that `hlmap check` learns the counts without loading QtGui; TWilImages and TFirImages take
// their counts from the same functions, so the two can never disagree.

inline constexpr std::size_t kLibraryHeaderSize = 60;
using LibraryHeader = std::array<std::uint8_t, kLibraryHeaderSize>;

// A .wil library: the stated count, bounded by what the file can hold after its header and
// palette (each image needs a record header). Nothing when the file is too short for its
// palette, which the editor does not open.
std::optional<int> WilImageCount(const LibraryHeader& header, std::uint64_t fileSize);
// Whether a .wil header is of the older layout (56-byte header, 8-byte image records).
bool WilOlderLayout(const LibraryHeader& header);
// A .Data library: the stated count, bounded by the index entries that fit in the file.
int DataImageCount(const LibraryHeader& header, std::uint64_t fileSize);
// Where a .Data library's index begins (a stated 0 means right after the header).
std::int64_t DataIndexOffset(const LibraryHeader& header);

// The count of the library file `path` (found by exact name, then in any letter case), or
// nothing when no such library opens.
std::optional<int> LibraryImageCount(const std::string& path, LibraryFormat format);

}  // namespace hl

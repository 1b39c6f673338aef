#pragma once

#include <optional>
#include <string>

namespace hl {

// The file to open for `path`: the exact name when it exists, otherwise the entry of the same
// folder whose name matches it ignoring letter case (game data copied from other systems
// comes in any case); of several such, the smallest by byte order ("TILES.WIL" before
// "Tiles.wil"). Nothing when neither exists.
std::optional<std::string> FindFileIgnoringCase(const std::string& path);

}  // namespace hl

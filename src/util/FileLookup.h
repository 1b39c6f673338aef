#pragma once

#include <optional>
#include <string>

namespace hl {

// The file to open for `path`: the exact name when it exists, otherwise the one entry of the
// same folder whose name matches it ignoring letter case (game data copied from other systems
// comes in any case). Nothing when neither exists.
std::optional<std::string> FindFileIgnoringCase(const std::string& path);

}  // namespace hl

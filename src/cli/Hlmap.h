#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace hl {

// The whole of `hlmap`: args are the words after the program name. Returns the exit code:
// 0 success, 1 failure (one "hlmap: " line on err), 2 usage error.
int RunHlmap(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace hl

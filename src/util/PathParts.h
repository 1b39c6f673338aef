#pragma once

#include <string>

namespace hl {

// The folder and the name of a path of this platform, where only '/' separates (names from
// stored game data, where '\' and ':' separate too, go through TextHelpers.h).

inline std::string ParentDirectory(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

inline std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace hl

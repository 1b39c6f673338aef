#include "util/FileLookup.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>

#include "util/PathParts.h"

namespace hl {

std::optional<std::string> FindFileIgnoringCase(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return path;
  const std::string dir = ParentDirectory(path);
  const std::string base = BaseName(path);
  if (base.empty()) return std::nullopt;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return std::nullopt;
  // The folder lists its entries in an order of its own that can change as files come and
  // go; taking the smallest match by byte order makes the same folder open the same file.
  std::optional<std::string> smallest;
  while (const dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, base.c_str()) != 0) continue;
    if (!smallest || std::strcmp(e->d_name, smallest->c_str()) < 0) smallest = e->d_name;
  }
  ::closedir(d);
  if (!smallest) return std::nullopt;
  return (path.find('/') == std::string::npos ? std::string() : dir + "/") + *smallest;
}

}  // namespace hl

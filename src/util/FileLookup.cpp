#include "util/FileLookup.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

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
  std::optional<std::string> found;
  while (const dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, base.c_str()) == 0) {
      found = (path.find('/') == std::string::npos ? std::string() : dir + "/") + e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace hl

#include "util/FileStamp.h"

#include <sys/stat.h>

namespace hl {

std::optional<FileStamp> StampOf(const std::string& path, Links links) {
  struct stat st {};
  const int result =
      links == Links::Follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  if (path.empty() || result != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                   static_cast<std::uint64_t>(st.st_size),
                   static_cast<std::int64_t>(st.st_mtim.tv_sec),
                   static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

}  // namespace hl

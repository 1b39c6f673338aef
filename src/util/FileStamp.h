#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "util/FileReader.h"

namespace hl {

// What tells one version of a file from another without reading it: the file (device and
// inode), its size and its modification time to the nanosecond. Files saved by a rename get
// a new inode with every save, so a stamp changes even when the size and the clock's second
// do not.
struct FileStamp {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::uint64_t Size = 0;
  std::int64_t ModifiedSeconds = 0;
  std::int64_t ModifiedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at `path`; nothing for a missing file, a folder or a device,
// and with Links::Refuse for a link (which is not followed).
std::optional<FileStamp> StampOf(const std::string& path, Links links);

}  // namespace hl

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace hl {

// Which file a path names on this machine: the same device and inode are the same file,
// whatever path, link or letter case led to it. A save replaces a file by a new one, which
// has an identity of its own.
struct FileIdentity {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file `path` names (links followed); nothing for a missing
// file, a folder or a device.
std::optional<FileIdentity> RegularFileIdentity(const std::string& path);

}  // namespace hl

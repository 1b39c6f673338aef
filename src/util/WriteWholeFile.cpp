#include "util/WriteWholeFile.h"

#include <cerrno>

namespace hl {

SaveResult WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                          SafeFileWriter::OldTail tail, WriteOptions options) {
  SafeFileWriter out;
  if (!out.Open(path, tail, options)) return FileWriteFailure(path);
  // Opening may leave errno set by a lookup that did not matter (no old file); a later step
  // that fails without a reason of its own must not be blamed on it.
  errno = 0;
  if (!out.Write(bytes) || !out.Commit()) return FileWriteFailure(path);
  return {};
}

SaveResult WriteWholeFile(const std::string& path, std::string_view text,
                          SafeFileWriter::OldTail tail, WriteOptions options) {
  return WriteWholeFile(path,
                        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                        tail, options);
}

}  // namespace hl

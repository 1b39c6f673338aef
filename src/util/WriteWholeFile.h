#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "util/SafeFileWriter.h"
#include "util/SaveResult.h"

namespace hl {

// Writes `bytes` as the new content of `path`; the old file is replaced only once the new one
// is complete, and `tail` says what becomes of its bytes past the new end.
SaveResult WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                          SafeFileWriter::OldTail tail, WriteOptions options = {});
SaveResult WriteWholeFile(const std::string& path, std::string_view text,
                          SafeFileWriter::OldTail tail, WriteOptions options = {});

}  // namespace hl

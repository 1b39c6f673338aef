#pragma once

#include <cstdint>

namespace hl {

// A failure the tests plant in the file layer: the next writes fail the way a full disk or a
// permission lost in the middle of a save does. `Count` is how far things go first: the bytes
// accepted (a write that crosses the point is cut short there, then fails) or the file
// creations, closes, renames or syncs (fsync of a file or of a folder, as a disk error would
// fail them) that still succeed. It covers every SafeFileWriter in the process until cleared.
struct WriteFault {
  enum class At { Nothing, Create, Byte, Close, Rename, Sync };
  At Where = At::Nothing;
  std::uint64_t Count = 0;
};
void PlantWriteFault(const WriteFault& fault);

}  // namespace hl

#pragma once

#include <csignal>

namespace hl {

// A write past the file-size limit (ulimit -f) raises SIGXFSZ, which by default ends the
// program in the middle of a save and leaves its temporary file behind. Ignored, the write
// fails with EFBIG instead: the save reports it, removes the temporary and keeps the old file.
// Every program that writes files calls this first.
inline void IgnoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace hl

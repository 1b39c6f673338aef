#pragma once

#include <chrono>
#include <string>

namespace hl {

// An advisory lock (flock) on a file that programs working on the same files agree to take:
// many may read under shared locks, one writes under an exclusive lock. Released when the
// object goes away.
class FileLock {
 public:
  enum class Mode { Shared, Exclusive };
  enum class Outcome {
    Taken,
    // Another holder kept a conflicting lock for the whole wait.
    Busy,
    // The lock file cannot be opened or created (a read-only folder), or the file system does
    // not lock. The caller decides whether to go on unlocked.
    Unavailable,
  };

  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { Release(); }

  // Opens `path` (created when missing, never through a link) and takes the lock, trying
  // again until `wait` has passed.
  Outcome Take(const std::string& path, Mode mode, std::chrono::milliseconds wait);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace hl

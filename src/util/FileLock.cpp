#include "util/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace hl {

namespace {

// Opens the lock file for locking only: a shared project folder may hold it read-only for us
// (another user made it), which still locks. Never a link, and never blocking on a FIFO.
int OpenLockFile(const std::string& path) {
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
  if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | kFlags);
  return fd;
}

}  // namespace

FileLock::Outcome FileLock::Take(const std::string& path, Mode mode,
                                 std::chrono::milliseconds wait) {
  Release();
  const int fd = OpenLockFile(path);
  if (fd < 0) return Outcome::Unavailable;
  const int operation = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  // Short steps at first: most holders are done within a few milliseconds.
  auto pause = std::chrono::milliseconds(2);
  for (;;) {
    if (::flock(fd, operation) == 0) {
      fd_ = fd;
      return Outcome::Taken;
    }
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      ::close(fd);
      return Outcome::Unavailable;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) break;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(100));
  }
  ::close(fd);
  return Outcome::Busy;
}

void FileLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace hl

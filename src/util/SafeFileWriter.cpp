#include "util/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "util/IoVectors.h"
#include "util/PathParts.h"
#include "util/WriteFault.h"

namespace hl {

namespace {

WriteFault gFault;

// True when the planted fault is at `where` and its count has run out; counts one step.
bool FaultHits(WriteFault::At where) {
  if (gFault.Where != where) return false;
  if (gFault.Count == 0) return true;
  --gFault.Count;
  return false;
}

// The pieces from `first` on, cut down to the bytes the planted fault still accepts.
std::vector<iovec> CutToFault(const std::vector<iovec>& iov, std::size_t first) {
  std::vector<iovec> cut;
  std::uint64_t left = gFault.Count;
  for (std::size_t i = first; i < iov.size() && left > 0; ++i) {
    cut.push_back(iov[i]);
    cut.back().iov_len = static_cast<std::size_t>(std::min<std::uint64_t>(left, iov[i].iov_len));
    left -= cut.back().iov_len;
  }
  return cut;
}

}  // namespace

SafeFileWriter::~SafeFileWriter() {
  Abandon();
}

bool SafeFileWriter::Open(const std::string& path, OldTail tail) {
  Abandon();
  failed_ = false;
  finished_ = false;
  written_ = 0;
  tail_ = tail;
  target_ = path;
  temp_.clear();
  if (path.empty()) return false;

  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists && S_ISDIR(st.st_mode)) return false;

  if (exists && !S_ISREG(st.st_mode)) {
    // A device or pipe cannot be replaced by renaming; write to it as it is.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    return fd_ >= 0;
  }

  if (exists && (::access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) {
    // Renaming would replace a file its owner marked read-only; an editor must not, not
    // even for a user whom permissions do not stop.
    errno = EACCES;
    return false;
  }
  if (exists) {
    // Replace the file a link points to, not the link.
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target_ = real;
      std::free(real);
    }
  }

  const std::string dir = ParentDirectory(target_);
  const std::string base = BaseName(target_);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temp_ =
        dir + "/." + base + ".hl" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    if (FaultHits(WriteFault::At::Create)) {
      errno = EACCES;
      break;
    }
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temp_.clear();
    return false;
  }
  if (exists) {
    // The new file takes the place of the old one, so it takes its permissions too. Handing
    // it to the old owner only works with the rights to do so; it is not worth failing over.
    ::fchmod(fd_, st.st_mode & 07777);
    [[maybe_unused]] int ignored = ::fchown(fd_, st.st_uid, st.st_gid);
  }
  return true;
}

bool SafeFileWriter::Write(std::span<const std::uint8_t> bytes) {
  std::span<const std::uint8_t> piece[1] = {bytes};
  return WriteGather(piece);
}

bool SafeFileWriter::WriteGather(std::span<const std::span<const std::uint8_t>> pieces) {
  if (fd_ < 0) failed_ = true;
  if (failed_) return false;
  std::vector<iovec> iov = ToIovecs(pieces);
  std::size_t first = 0;
  while (first < iov.size()) {
    const iovec* batch = iov.data() + first;
    std::size_t count = std::min(kMaxIov, iov.size() - first);
    std::vector<iovec> cut;
    if (gFault.Where == WriteFault::At::Byte) {
      cut = CutToFault(iov, first);
      if (cut.empty()) {
        failed_ = true;
        errno = ENOSPC;
        return false;
      }
      batch = cut.data();
      count = std::min(kMaxIov, cut.size());
    }
    const ssize_t put = ::writev(fd_, batch, static_cast<int>(count));
    if (put < 0 && errno == EINTR) continue;
    if (put > 0 && gFault.Where == WriteFault::At::Byte) gFault.Count -= static_cast<std::uint64_t>(put);
    if (put <= 0) {
      failed_ = true;
      return false;
    }
    written_ += static_cast<std::uint64_t>(put);
    Advance(iov, first, static_cast<std::size_t>(put));
  }
  return true;
}

bool SafeFileWriter::CopyOldTail() {
  const int old = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
  if (old < 0) return errno == ENOENT;  // nothing to keep
  std::vector<std::uint8_t> buffer(1 << 16);
  off_t offset = static_cast<off_t>(written_);
  bool ok = true;
  for (;;) {
    const ssize_t got = ::pread(old, buffer.data(), buffer.size(), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    if (!Write({buffer.data(), static_cast<std::size_t>(got)})) {
      ok = false;
      break;
    }
    offset += got;
  }
  ::close(old);
  return ok;
}

bool SafeFileWriter::Finish() {
  if (fd_ < 0 || failed_) {
    Abandon();
    return false;
  }
  if (!temp_.empty() && tail_ == OldTail::Keep && !CopyOldTail()) {
    Abandon();
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  const bool closed = ::close(fd) == 0;
  if (!closed || FaultHits(WriteFault::At::Close)) {
    failed_ = true;
    Abandon();
    return false;
  }
  finished_ = true;
  return true;
}

bool SafeFileWriter::Replace(bool keepOld) {
  if (!finished_) {
    Abandon();
    return false;
  }
  finished_ = false;
  if (temp_.empty()) return true;
  if (keepOld) {
    // A second link to the old file; without one (no old file, or a file system without
    // hard links) restoring can only remove what this writer created.
    kept_ = temp_ + ".old";
    if (::link(target_.c_str(), kept_.c_str()) != 0) {
      wasNew_ = errno == ENOENT;
      kept_.clear();
    }
  }
  if (FaultHits(WriteFault::At::Rename) || ::rename(temp_.c_str(), target_.c_str()) != 0) {
    failed_ = true;
    wasNew_ = false;
    Abandon();
    return false;
  }
  temp_.clear();
  return true;
}

void SafeFileWriter::RestoreOld() {
  if (!kept_.empty()) {
    if (::rename(kept_.c_str(), target_.c_str()) == 0) kept_.clear();
  } else if (wasNew_) {
    ::unlink(target_.c_str());
  }
  wasNew_ = false;
}

void SafeFileWriter::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  finished_ = false;
  if (!kept_.empty()) ::unlink(kept_.c_str());
  kept_.clear();
  wasNew_ = false;
}

bool ReplaceTogether(std::span<SafeFileWriter* const> writers, std::size_t* failed) {
  for (std::size_t i = 0; i < writers.size(); ++i) {
    if (!writers[i]->Replace(true)) {
      if (failed) *failed = i;
      for (std::size_t k = i; k > 0;) writers[--k]->RestoreOld();
      return false;
    }
  }
  return true;
}

void PlantWriteFault(const WriteFault& fault) {
  gFault = fault;
}

}  // namespace hl

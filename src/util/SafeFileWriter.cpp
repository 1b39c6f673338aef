#include "util/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
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

// Writes what the kernel holds of the file through to the disk. EINVAL, EROFS and ENOTSUP are
// the answers of files that have nothing to sync: pipes, terminals and character devices
// written in place, and file systems that do not sync folders. The data of those went where
// it goes as it was written, so they count as synced; refusing them would make every save to
// a pipe or to such a file system fail. Any other error (EIO, ENOSPC, EDQUOT) means the data
// may not be on the disk. Such a failure is not retried (only a call cut short by a signal
// is): the kernel may already have dropped the pages it could not write, and a second call
// could report success for data that never arrived.
bool Sync(int fd) {
  if (FaultHits(WriteFault::At::Sync)) {
    errno = EIO;
    return false;
  }
  int result;
  do {
    result = ::fsync(fd);
  } while (result != 0 && errno == EINTR);
  return result == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
}

// Makes the folder's entries (a rename into it) durable.
bool SyncFolder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    // A folder we may write in but not read (mode 0300) cannot be opened to sync it. The
    // rename stands and is as durable as such a folder allows; failing every save there
    // would only keep the user from saving at all.
    return errno == EACCES;
  }
  const bool synced = Sync(fd);
  ::close(fd);
  return synced;
}

}  // namespace

SafeFileWriter::~SafeFileWriter() {
  Abandon();
}

bool SafeFileWriter::Open(const std::string& path, OldTail tail, WriteOptions options) {
  Abandon();
  failed_ = false;
  finished_ = false;
  written_ = 0;
  tail_ = tail;
  options_ = options;
  target_ = path;
  temp_.clear();
  if (path.empty()) return false;

  const bool replaceLink = options.Link == AtLink::Replace;
  struct stat st {};
  bool exists = (replaceLink ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st)) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists && S_ISDIR(st.st_mode)) return false;
  // A link, pipe or device where a file of ours belongs is only a name to take over: the
  // rename replaces the entry, and nothing of what it leads to is read, kept or written.
  if (replaceLink && exists && !S_ISREG(st.st_mode)) exists = false;

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
  if (exists && !replaceLink) {
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
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                 options.OwnerOnly ? 0600 : 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    temp_.clear();
    return false;
  }
  if (options.OwnerOnly) {
    // Whatever the umask or an old file's mode said: the copy is nobody else's to read.
    ::fchmod(fd_, 0600);
  } else if (exists) {
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
  const bool replaceLink = options_.Link == AtLink::Replace;
  const int old =
      ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | (replaceLink ? O_NOFOLLOW | O_NONBLOCK : 0));
  // Nothing to keep; nor from a link or anything but a file that took the name since Open.
  if (old < 0) return errno == ENOENT || (replaceLink && errno == ELOOP);
  struct stat st {};
  if (replaceLink && (::fstat(old, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(old);
    return true;
  }
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
  // The data goes to the disk before the rename can give it the target's name: otherwise a
  // crash soon after the save can leave that name on an empty or partly written file, with
  // the old one already gone. When the disk refuses, the save fails here and the old file
  // stays. A block device written in place gets its cache flushed the same way.
  if (!Sync(fd_)) {
    failed_ = true;
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
  bool renamed = false;
  if (!Rename(keepOld, &renamed)) return false;
  // Until the folder is synced the rename may not survive a crash. When the sync fails the
  // new content is already in place and readable, but not known to be on the disk: the save
  // reports failure, so that the editor keeps the map marked unsaved and offers to save again.
  if (renamed && !SyncFolder(ParentDirectory(target_))) {
    failed_ = true;
    return false;
  }
  return true;
}

bool SafeFileWriter::Rename(bool keepOld, bool* renamed) {
  *renamed = false;
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
  *renamed = true;
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
  // The folders the renames changed, each with the first writer in it. Every file's data was
  // synced by its Finish; one sync per folder after all the renames makes them all durable,
  // where a sync after each rename would cost one journal commit per file.
  std::vector<std::string> folders;
  std::vector<std::size_t> firstWriter;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    bool renamed = false;
    if (!writers[i]->Rename(true, &renamed)) {
      if (failed) *failed = i;
      for (std::size_t k = i; k > 0;) writers[--k]->RestoreOld();
      // The old files are back under their names; this only tries to make that stick, as
      // the save has failed whatever the sync says.
      for (const std::string& folder : folders) SyncFolder(folder);
      return false;
    }
    if (!renamed) continue;
    std::string folder = ParentDirectory(writers[i]->target_);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(std::move(folder));
      firstWriter.push_back(i);
    }
  }
  // A folder that cannot be synced leaves the group's new files in place, readable but not
  // known to be on the disk (after a crash some renames may be lost and others not). Putting
  // the old files back would take more renames into the same folder that could not be made
  // durable either, so the new files stay and the save reports failure. The other folders
  // are still synced.
  bool synced = true;
  for (std::size_t j = 0; j < folders.size(); ++j) {
    if (SyncFolder(folders[j])) continue;
    if (synced && failed) *failed = firstWriter[j];
    writers[firstWriter[j]]->failed_ = true;
    synced = false;
  }
  return synced;
}

void PlantWriteFault(const WriteFault& fault) {
  gFault = fault;
}

}  // namespace hl

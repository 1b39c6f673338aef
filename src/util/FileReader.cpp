#include "util/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "util/IoVectors.h"

namespace hl {

FileReader::~FileReader() {
  Close();
}

bool FileReader::Open(const std::string& path, Links links) {
  Close();
  failed_ = false;
  atEnd_ = false;
  // Non-blocking only for the open itself, so that a FIFO without a writer cannot hang us.
  int fd = ::open(path.c_str(),
                  O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0));
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  fd_ = fd;
  size_ = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
  return true;
}

void FileReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
}

std::size_t FileReader::Read(std::span<std::uint8_t> buffer) {
  std::span<std::uint8_t> piece[1] = {buffer};
  return ReadScatter(piece);
}

std::size_t FileReader::ReadScatter(std::span<const std::span<std::uint8_t>> pieces) {
  if (fd_ < 0 || failed_ || atEnd_) return 0;
  std::vector<iovec> iov = ToIovecs(pieces);
  std::size_t first = 0;
  std::size_t total = 0;
  while (first < iov.size()) {
    const int count = static_cast<int>(std::min(kMaxIov, iov.size() - first));
    const ssize_t got = ::readv(fd_, iov.data() + first, count);
    if (got < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      break;
    }
    if (got == 0) {
      atEnd_ = true;
      break;
    }
    total += static_cast<std::size_t>(got);
    Advance(iov, first, static_cast<std::size_t>(got));
  }
  return total;
}

std::size_t FileReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
  if (fd_ < 0) return 0;
  std::size_t total = 0;
  while (total < buffer.size()) {
    const ssize_t got = ::pread(fd_, buffer.data() + total, buffer.size() - total,
                                static_cast<off_t>(offset + total));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failed_ = true;
    if (got <= 0) break;
    total += static_cast<std::size_t>(got);
  }
  return total;
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& text,
                   std::string* error, Links links) {
  text.clear();
  FileReader file;
  if (!file.Open(path, links)) {
    if (error) *error = "cannot read '" + path + "'";
    return false;
  }
  std::uint8_t buffer[1 << 16];
  for (std::size_t got; (got = file.Read(buffer)) > 0;) {
    if (got > limit - text.size()) {
      text.clear();
      if (error) *error = "'" + path + "' is larger than " + std::to_string(limit) + " bytes";
      return false;
    }
    text.append(reinterpret_cast<char*>(buffer), got);
  }
  if (file.Failed()) {
    text.clear();
    if (error) *error = "cannot read '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace hl

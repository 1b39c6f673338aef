#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace hl::test {

// Makes a folder refuse new files and renames for as long as it lives. Permissions do that for
// ordinary users; root ignores them, so for root the folder is also marked immutable where the
// file system and the process's rights allow it.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
    ::chmod(path_.c_str(), 0555);
    if (::access(path_.c_str(), W_OK) != 0) return;
    fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
      flags |= FS_IMMUTABLE_FL;
      immutable_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }
  }
  ~ReadOnlyFolder() {
    if (immutable_) {
      int flags = 0;
      ::ioctl(fd_, FS_IOC_GETFLAGS, &flags);
      flags &= ~FS_IMMUTABLE_FL;
      ::ioctl(fd_, FS_IOC_SETFLAGS, &flags);
    }
    if (fd_ >= 0) ::close(fd_);
    ::chmod(path_.c_str(), 0755);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  // False when neither way works here (root on a file system without the flag).
  bool Refuses() const { return immutable_ || ::access(path_.c_str(), W_OK) != 0; }

 private:
  std::string path_;
  int fd_ = -1;
  bool immutable_ = false;
};

}  // namespace hl::test

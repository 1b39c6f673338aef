#include "util/SaveResult.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace hl {

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FolderWords(const std::string& folder) {
  return folder == "." ? "the current folder" : "the folder '" + folder + "'";
}

std::string SystemWords(int error) {
  if (error == 0) return "the file could not be completed";
  std::string words = std::strerror(error);
  if (!words.empty())
    words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
  return words;
}

std::string Reason(const std::string& path, int error) {
  if (path.empty()) return "no file name was given";
  struct stat target {};
  const bool exists = ::stat(path.c_str(), &target) == 0;
  if (exists && S_ISDIR(target.st_mode)) return "it is a folder";
  if (exists && !S_ISREG(target.st_mode)) {
    // Devices and pipes are written in place: no folder is involved.
    return SystemWords(error);
  }
  // The same test the writer makes: a file its owner marked read-only is not replaced, even
  // for a user whom permissions do not stop.
  if (exists && ((target.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)) {
    return "the file is read-only";
  }
  const std::string folder = FolderOf(path);
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0) {
    if (errno == ENOENT) return FolderWords(folder) + " does not exist";
    if (errno == ENOTDIR) return "'" + folder + "' is not a folder";
    return SystemWords(error);
  }
  if (!S_ISDIR(dir.st_mode)) return "'" + folder + "' is not a folder";
  // New files are made beside the old one and renamed over it.
  if (::access(folder.c_str(), W_OK) != 0) return FolderWords(folder) + " is read-only";
  return SystemWords(error);
}

}  // namespace

SaveResult SaveResult::CannotWrite(std::string_view path, std::string_view reason) {
  SaveResult result;
  result.message_ = "cannot write '";
  result.message_ += path;
  result.message_ += "': ";
  result.message_ += reason;
  return result;
}

SaveResult FileWriteFailure(const std::string& path) {
  const int error = errno;
  return SaveResult::CannotWrite(path, Reason(path, error));
}

}  // namespace hl

#include "util/LoadResult.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <utility>

namespace hl {

LoadResult LoadResult::ReadWithWarning(std::string warning) {
  LoadResult result;
  result.warning_ = std::move(warning);
  return result;
}

LoadResult LoadResult::CannotRead(std::string_view path, std::string_view reason) {
  LoadResult result;
  result.reason_ = reason;
  result.message_ = "cannot open '";
  result.message_ += path;
  result.message_ += "': ";
  result.message_ += reason;
  return result;
}

LoadResult FileReadFailure(const std::string& path) {
  const int error = errno;
  if (path.empty()) return LoadResult::CannotRead(path, "no file name was given");
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return LoadResult::CannotRead(path, "the file does not exist");
  } else if (S_ISDIR(st.st_mode)) {
    // The reader closes a folder again without an error of its own: errno says nothing here.
    return LoadResult::CannotRead(path, "it is a folder");
  }
  if (error == 0) return LoadResult::CannotRead(path, "the file could not be opened");
  std::string words = std::strerror(error);
  if (!words.empty())
    words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
  return LoadResult::CannotRead(path, words);
}

}  // namespace hl

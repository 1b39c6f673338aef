#pragma once

#include <string>
#include <string_view>

namespace hl {

// What every writer of the program returns: the file was written, or why it was not, as one
// message that names the file and is shown to the user exactly as it is, by the editor and by
// hlmap alike. Tests true when the file was written, so `if (!SaveMap(...))` still reads as a
// plain yes or no.
class [[nodiscard]] SaveResult {
 public:
  // Written.
  SaveResult() = default;
  // Not written: "cannot write 'PATH': REASON".
  static SaveResult CannotWrite(std::string_view path, std::string_view reason);

  bool Ok() const { return message_.empty(); }
  explicit operator bool() const { return Ok(); }
  // Empty when the file was written.
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

// The failure of a step of the file layer on `path` that has just failed. The state of the file
// system names the usual causes (a folder that does not exist, a read-only file or folder, a
// folder in the file's place), since errno alone can be left over from an earlier call; the
// system's own words for errno cover the rest (a full disk, a file too large).
SaveResult FileWriteFailure(const std::string& path);

}  // namespace hl

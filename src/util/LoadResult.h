#pragma once

#include <string>
#include <string_view>

namespace hl {

// What a reader returns, as SaveResult is what a writer returns: the file was read, or why it
// was refused, as one message that names the file and is shown to the user exactly as it is,
// by the editor and by hlmap alike. A file that was read can still bring a warning the user
// must hear before trusting what it holds. Tests true when the file was read.
class [[nodiscard]] LoadResult {
 public:
  // Read, nothing to say.
  LoadResult() = default;
  // Read, but the user should know `warning` (a sentence that names the file).
  static LoadResult ReadWithWarning(std::string warning);
  // Refused: "cannot open 'PATH': REASON".
  static LoadResult CannotRead(std::string_view path, std::string_view reason);

  bool Ok() const { return message_.empty(); }
  explicit operator bool() const { return Ok(); }
  // Why the file was refused; empty when it was read.
  const std::string& Message() const { return message_; }
  // The reason alone, for callers that name the file in words of their own.
  const std::string& Reason() const { return reason_; }
  // Empty unless the file was read with something to say about it.
  const std::string& Warning() const { return warning_; }

 private:
  std::string message_;
  std::string reason_;
  std::string warning_;
};

// The failure to open `path` for reading that has just happened, in the user's words: a
// missing file, a folder, or the system's words for errno (no permission, ...).
LoadResult FileReadFailure(const std::string& path);

}  // namespace hl

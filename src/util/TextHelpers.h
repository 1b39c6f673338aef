#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hl {

// A whole signed decimal 32-bit integer, starting with a digit or a sign and nothing after its
// digits; nothing for any other text.
std::optional<int> ParseInt(std::string_view text);

// The same with a fallback: anything that is not such a number gives Default.
int StrToIntDefault(std::string_view text, int defaultValue);

// A box of a dialog that takes a whole number within Min..Max, and the message that refuses
// anything else. What is typed is what is stored: no wrapping into a byte, no junk read as 0.
struct NumberField {
  // As the message names the box: "The light value", "X (the width)".
  std::string_view Name;
  int Min = 0;
  int Max = 0;
  // The number an empty box stands for; without one, an empty box is refused too.
  std::optional<int> WhenEmpty;

  // The number in `text` (spaces around it ignored), or nothing when the box cannot take it.
  std::optional<int> Read(std::string_view text) const;
  // Empty when Read takes `text`; otherwise "NAME must be a whole number from MIN to MAX, not
  // "TEXT"." (long texts cut short).
  std::string Problem(std::string_view text) const;
};

// True for the characters that end a directory part: '/', '\' and ':' (names stored by the
// game use the last two, names from this platform the first).
bool IsPathSeparator(char c);

// The file-name part of Path, cut before the first occurrence of its extension text
// (case-sensitive). "dir/a.map" -> "a", "a.b.c" -> "a.b", "noext" -> "noext".
std::string FileNameOnly(std::string_view path);

// Everything up to and including the last separator; empty for a bare name.
std::string DirectoryPart(std::string_view path);

struct TokenSplit {
  std::string_view Token;
  std::string_view Rest;
};

// Skips leading dividers, takes the token up to the next divider, and leaves as Rest what
// follows that one divider. Texts of 20,479 characters or more give an empty token and rest.
TokenSplit NextToken(std::string_view text, std::string_view dividers);

inline constexpr std::size_t kNextTokenTextLimit = 20479;

// A name from a file, made safe to show inside a message: everything that could break the
// message's lines or disguise its text is written out. Line breaks and tabs become \n, \r and
// \t, other control characters and bytes that are not UTF-8 \xHH, the C1 controls, Unicode's
// line and paragraph separators and its direction marks and overrides \u{HHHH}, and a
// backslash \\, so that no escape can be faked. Everything else stays as it is.
std::string EscapeForDisplay(std::string_view text);

}  // namespace hl

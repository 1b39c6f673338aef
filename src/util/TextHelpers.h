#pragma once

#include <string>
#include <string_view>

namespace hl {

// The number reader behind every dialog field: anything that is not a whole signed decimal
// 32-bit integer, starting with a digit or a sign, gives Default.
int StrToIntDefault(std::string_view text, int defaultValue);

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

}  // namespace hl

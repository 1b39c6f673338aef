#include "util/TextHelpers.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace hl {

std::optional<int> ParseInt(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const char first = text.front();
  const bool isDigit = first >= '0' && first <= '9';
  if (!isDigit && first != '+' && first != '-') return std::nullopt;

  std::string_view digits = text;
  bool negative = false;
  if (first == '+' || first == '-') {
    negative = first == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  // from_chars would accept a second sign after ours; only digits may follow.
  if (digits.front() < '0' || digits.front() > '9') return std::nullopt;

  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;

  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<int>::max()};
  if (magnitude > limit) return std::nullopt;
  if (negative) return static_cast<int>(-static_cast<std::int64_t>(magnitude));
  return static_cast<int>(magnitude);
}

int StrToIntDefault(std::string_view text, int defaultValue) {
  return ParseInt(text).value_or(defaultValue);
}

namespace {

std::string_view TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Enough of a typed text to recognise it in a message; a pasted page is not repeated whole.
constexpr std::size_t kQuotedTextLimit = 24;

}  // namespace

std::optional<int> NumberField::Read(std::string_view text) const {
  const std::string_view typed = TrimSpaces(text);
  if (typed.empty()) return WhenEmpty;
  const std::optional<int> value = ParseInt(typed);
  if (!value || *value < Min || *value > Max) return std::nullopt;
  return value;
}

std::string NumberField::Problem(std::string_view text) const {
  if (Read(text)) return {};
  std::string message = std::string(Name) + " must be a whole number from " + std::to_string(Min) +
                        " to " + std::to_string(Max);
  const std::string_view typed = TrimSpaces(text);
  if (typed.empty()) return message + ".";
  message += ", not \"";
  if (typed.size() > kQuotedTextLimit) {
    // Cut between characters, not inside one of several UTF-8 bytes.
    std::size_t cut = kQuotedTextLimit;
    while (cut > 0 && (static_cast<unsigned char>(typed[cut]) & 0xC0) == 0x80) --cut;
    message += std::string(typed.substr(0, cut)) + "...";
  } else {
    message += std::string(typed);
  }
  return message + "\".";
}

bool IsPathSeparator(char c) {
  return c == '/' || c == '\\' || c == ':';
}

namespace {

std::size_t NameStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i;
  }
  return 0;
}

}  // namespace

std::string FileNameOnly(std::string_view path) {
  const std::string_view name = path.substr(NameStart(path));
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::string(name);
  const std::string_view extension = name.substr(dot);
  // The cut is at the first place the extension text occurs, so "a.map.map" gives "a".
  return std::string(name.substr(0, name.find(extension)));
}

std::string DirectoryPart(std::string_view path) {
  return std::string(path.substr(0, NameStart(path)));
}

TokenSplit NextToken(std::string_view text, std::string_view dividers) {
  if (text.size() >= kNextTokenTextLimit) return {};
  const std::size_t start = text.find_first_not_of(dividers);
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find_first_of(dividers, start);
  if (end == std::string_view::npos) return {text.substr(start), {}};
  return {text.substr(start, end - start), text.substr(end + 1)};
}

namespace {

// The length of the UTF-8 sequence at the start of `text` and its code point; 0 when the
// bytes there are no well-formed sequence (overlong forms and surrogates included).
std::size_t DecodeUtf8(std::string_view text, char32_t* codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t cp = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char b = byte(i);
    if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  *codePoint = cp;
  return length;
}

bool DisguisesText(char32_t cp) {
  return (cp >= 0x80 && cp <= 0x9F) || cp == 0x061C || cp == 0x200E || cp == 0x200F ||
         (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069) || cp == 0xFEFF;
}

void AppendHex(std::string& out, unsigned value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string EscapeForDisplay(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '\\':
          out += "\\\\";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        case '\t':
          out += "\\t";
          break;
        default:
          if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            AppendHex(out, c, 2);
          } else {
            out += static_cast<char>(c);
          }
      }
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text.substr(i), &cp);
    if (length == 0) {
      out += "\\x";
      AppendHex(out, c, 2);
      ++i;
    } else if (DisguisesText(cp)) {
      out += "\\u{";
      AppendHex(out, static_cast<unsigned>(cp), 4);
      out += '}';
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace hl

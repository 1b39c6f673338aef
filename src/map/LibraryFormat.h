#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace hl {

// Which image libraries a map is made for: ".wil" with a ".WIX" index, or ".Data". A saved map
// tells it by its MapBitCount byte.
enum class LibraryFormat { Wil, Data };

inline constexpr std::uint8_t kBitCountData = 16;
inline constexpr std::uint8_t kBitCountWil = 0;

constexpr std::uint8_t MapBitCountOf(LibraryFormat format) {
  return format == LibraryFormat::Data ? kBitCountData : kBitCountWil;
}
constexpr LibraryFormat LibraryFormatOf(std::uint8_t mapBitCount) {
  return mapBitCount == kBitCountData ? LibraryFormat::Data : LibraryFormat::Wil;
}
// "wil" or "data", as typed after --format; nothing for anything else.
constexpr std::optional<LibraryFormat> ParseLibraryFormat(std::string_view text) {
  if (text == "wil") return LibraryFormat::Wil;
  if (text == "data") return LibraryFormat::Data;
  return std::nullopt;
}

}  // namespace hl

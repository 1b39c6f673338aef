#pragma once

#include <cstdint>
#include <optional>
#include <string>
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
// The base name of object library slot 0-19: "Objects", "Objects2" ... "Objects20"; the format
// adds ".wil" or ".Data".
inline std::string ObjectLibraryName(int slot) {
  return slot == 0 ? "Objects" : "Objects" + std::to_string(slot + 1);
}
// ".wil" or ".Data".
constexpr std::string_view LibraryExtension(LibraryFormat format) {
  return format == LibraryFormat::Data ? ".Data" : ".wil";
}

// "wil" or "data", as typed after --format; nothing for anything else.
constexpr std::optional<LibraryFormat> ParseLibraryFormat(std::string_view text) {
  if (text == "wil") return LibraryFormat::Wil;
  if (text == "data") return LibraryFormat::Data;
  return std::nullopt;
}

}  // namespace hl

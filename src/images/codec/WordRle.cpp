#include <algorithm>
#include <cstring>

#include "images/codec/Decompress.h"
#include "util/LittleEndian.h"

namespace hl {

namespace {
constexpr std::uint16_t kRunMarker = 0xAAAA;
}

std::optional<std::size_t> DecodeWordRle(std::span<const std::uint8_t> in,
                                         std::span<std::uint8_t> out) {
  const std::size_t words = in.size() / 2;
  const std::uint8_t* src = in.data();
  std::uint8_t* dst = out.data();
  const std::size_t outWords = out.size() / 2;
  std::size_t produced = 0;  // in words
  auto word = [&](std::size_t i) { return LoadLE<std::uint16_t>(src + 2 * i); };

  std::size_t i = 0;
  while (i < words) {
    const std::uint16_t w = word(i);
    if (w != kRunMarker) {
      if (produced == outWords) break;
      std::memcpy(dst + 2 * produced++, src + 2 * i, 2);
      ++i;
      continue;
    }
    if (i + 2 >= words) return std::nullopt;  // a marker without its value and count
    const std::uint16_t value = word(i + 1);
    const std::size_t count = std::min<std::size_t>(word(i + 2), outWords - produced);
    const std::uint8_t lo = static_cast<std::uint8_t>(value),
                       hi = static_cast<std::uint8_t>(value >> 8);
    if (lo == hi) {
      std::memset(dst + 2 * produced, lo, count * 2);
    } else {
      for (std::size_t k = 0; k < count; ++k)
        StoreLE<std::uint16_t>(dst + 2 * (produced + k), value);
    }
    produced += count;
    i += 3;
  }
  // An odd last input byte is no word and is ignored; so is an odd byte of the output.
  return produced * 2;
}

}  // namespace hl

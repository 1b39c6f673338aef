#include "images/codec/Decompress.h"

namespace hl {

std::optional<std::size_t> Decompress(int method, std::span<const std::uint8_t> in,
                                      std::span<std::uint8_t> out) {
  switch (method) {
    case 1:
      return DecodeWordRle(in, out);
    case 2:
      return DecodeZlib(in, out);
    case 3:
      return DecodeChunkedLz(in, out);
    case 4:
      return DecodeLzh(in, out);
    default:
      return std::nullopt;
  }
}

}  // namespace hl

#include <zlib.h>

#include <climits>

#include "images/codec/Decompress.h"

namespace hl {

std::optional<std::size_t> DecodeZlib(std::span<const std::uint8_t> in,
                                      std::span<std::uint8_t> out) {
  if (in.size() > UINT_MAX || out.size() > UINT_MAX) return std::nullopt;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  // zlib's input pointer is not const for historical reasons; it never writes through it.
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int rc = Z_OK;
  while (rc == Z_OK) rc = inflate(&z, Z_FINISH);
  const std::size_t produced = out.size() - z.avail_out;
  inflateEnd(&z);
  if (rc == Z_STREAM_END) return produced;
  // A full buffer cuts the picture; anything else (damaged or truncated data) is an error.
  if (rc == Z_BUF_ERROR && z.avail_out == 0) return produced;
  return std::nullopt;
}

}  // namespace hl

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace hl {

// The four compression methods of Data libraries. Each decodes `in` into `out` and returns
// the number of bytes produced, or nothing when the stream is invalid (the image is then not
// shown). Output that would run past `out` is cut there: the bytes decoded so far stand.
// No decoder reads outside `in` or writes outside `out`.

// Method 1: 16-bit words; the word 0xAAAA is followed by a value and a repeat count.
std::optional<std::size_t> DecodeWordRle(std::span<const std::uint8_t> in,
                                         std::span<std::uint8_t> out);

// Method 2: one zlib stream.
std::optional<std::size_t> DecodeZlib(std::span<const std::uint8_t> in,
                                      std::span<std::uint8_t> out);

// Method 3: length-prefixed chunks of flag-driven literals, runs and back references.
std::optional<std::size_t> DecodeChunkedLz(std::span<const std::uint8_t> in,
                                           std::span<std::uint8_t> out);

// Method 4: the decoded size as int32, then an LZH (-lh5-) bit stream.
std::optional<std::size_t> DecodeLzh(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

// The -lh5- bit stream alone, decoding `size` bytes (or as many as `out` holds).
std::optional<std::size_t> DecodeLh5Stream(std::span<const std::uint8_t> in, std::size_t size,
                                           std::span<std::uint8_t> out);

// Dispatches on the library's method number; other numbers are invalid.
std::optional<std::size_t> Decompress(int method, std::span<const std::uint8_t> in,
                                      std::span<std::uint8_t> out);

}  // namespace hl

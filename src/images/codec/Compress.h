#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace hl {

// Encoders for the Data library methods 1 to 3, the counterparts of Decompress.h. What they
// produce decodes back to exactly their input.

// Method 1: runs of three or more equal words (and every 0xAAAA word) become run items.
// The input length must be even.
std::vector<std::uint8_t> EncodeWordRle(std::span<const std::uint8_t> in);

// Method 2: one zlib stream.
std::vector<std::uint8_t> EncodeZlib(std::span<const std::uint8_t> in);

// Method 3: chunks of literals, byte runs and back references up to 4095 bytes, greedy with
// hash chains; a chunk that would not shrink is stored.
std::vector<std::uint8_t> EncodeChunkedLz(std::span<const std::uint8_t> in);

}  // namespace hl

#include <algorithm>
#include <cstring>

#include "images/codec/Decompress.h"
#include "util/LittleEndian.h"

namespace hl {

namespace {

constexpr std::uint8_t kStoredChunk = 0x80;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMinMatch = 3;

enum class ChunkEnd { Done, OutputFull, Invalid };

// Decodes one chunk into out starting at *pos (the image's output so far lies before it).
ChunkEnd DecodeChunk(std::span<const std::uint8_t> c, std::span<std::uint8_t> out,
                     std::size_t* pos) {
  std::size_t o = *pos;
  const std::size_t end = out.size();
  std::uint8_t* dst = out.data();
  auto finish = [&](ChunkEnd e) {
    *pos = o;
    return e;
  };
  if (c.empty()) return finish(ChunkEnd::Done);

  if (c[0] == kStoredChunk) {
    const std::size_t n = std::min(c.size() - 1, end - o);
    std::memcpy(dst + o, c.data() + 1, n);
    o += n;
    return finish(n < c.size() - 1 ? ChunkEnd::OutputFull : ChunkEnd::Done);
  }

  if (c.size() < 3) return finish(ChunkEnd::Invalid);
  unsigned flags = static_cast<unsigned>(c[1]) << 8 | c[2];
  int flagsLeft = 16;
  std::size_t r = 3;
  const std::size_t k = c.size();
  while (r < k) {
    if (flagsLeft == 0) {
      if (r + 2 > k) return finish(ChunkEnd::Invalid);
      flags = static_cast<unsigned>(c[r]) << 8 | c[r + 1];
      r += 2;
      flagsLeft = 16;
      if (r >= k) break;  // a flag word with no items after it ends the chunk
    }
    if ((flags & 0x8000) == 0) {
      if (o == end) return finish(ChunkEnd::OutputFull);
      dst[o++] = c[r++];
    } else {
      if (r + 2 > k) return finish(ChunkEnd::Invalid);
      const unsigned b0 = c[r], b1 = c[r + 1];
      const std::size_t offset = b0 * 16 + (b1 >> 4);
      if (offset == 0) {
        if (r + 4 > k) return finish(ChunkEnd::Invalid);
        const std::size_t count = (b1 & 0x0F) * 256u + c[r + 2] + kMinRun;
        const std::size_t n = std::min(count, end - o);
        std::memset(dst + o, c[r + 3], n);
        o += n;
        if (n < count) return finish(ChunkEnd::OutputFull);
        r += 4;
      } else {
        if (offset > o) return finish(ChunkEnd::Invalid);  // before the image's first byte
        const std::size_t length = (b1 & 0x0F) + kMinMatch;
        const std::size_t n = std::min(length, end - o);
        const std::uint8_t* from = dst + o - offset;
        if (offset >= n) {
          std::memcpy(dst + o, from, n);
        } else {
          // Overlapping: each byte may be one this match has just written.
          for (std::size_t i = 0; i < n; ++i) dst[o + i] = from[i];
        }
        o += n;
        if (n < length) return finish(ChunkEnd::OutputFull);
        r += 2;
      }
    }
    flags <<= 1;
    --flagsLeft;
  }
  return finish(ChunkEnd::Done);
}

}  // namespace

std::optional<std::size_t> DecodeChunkedLz(std::span<const std::uint8_t> in,
                                           std::span<std::uint8_t> out) {
  std::size_t p = 0;
  std::size_t produced = 0;
  while (p < in.size()) {
    if (in.size() - p < 4) return std::nullopt;
    const std::int32_t length = LoadLE<std::int32_t>(in.data() + p);
    p += 4;
    if (length < 0 || static_cast<std::size_t>(length) > in.size() - p) return std::nullopt;
    // A chunk is read with a 16-bit length and counts what it produces in 16 bits; the
    // stored length still decides where the next chunk starts.
    const std::size_t chunkBytes = static_cast<std::uint16_t>(length);
    std::size_t pos = produced;
    const ChunkEnd e = DecodeChunk(in.subspan(p, chunkBytes), out, &pos);
    if (e == ChunkEnd::Invalid) return std::nullopt;
    if (e == ChunkEnd::OutputFull) return out.size();
    produced += static_cast<std::uint16_t>(pos - produced);
    p += static_cast<std::size_t>(length);
  }
  return produced;
}

}  // namespace hl

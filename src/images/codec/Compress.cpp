#include "images/codec/Compress.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "util/LittleEndian.h"

namespace hl {

namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutI32(std::vector<std::uint8_t>& out, std::int32_t v) {
  std::uint8_t b[4];
  StoreLE(b, v);
  out.insert(out.end(), b, b + 4);
}

constexpr std::uint16_t kRunMarker = 0xAAAA;

}  // namespace

std::vector<std::uint8_t> EncodeWordRle(std::span<const std::uint8_t> in) {
  const std::size_t words = in.size() / 2;
  auto word = [&](std::size_t i) { return LoadLE<std::uint16_t>(in.data() + 2 * i); };
  std::vector<std::uint8_t> out;
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < words) {
    const std::uint16_t w = word(i);
    std::size_t run = 1;
    while (i + run < words && run < 0xFFFF && word(i + run) == w) ++run;
    if (run >= 3 || w == kRunMarker) {
      PutU16(out, kRunMarker);
      PutU16(out, w);
      PutU16(out, static_cast<std::uint16_t>(run));
      i += run;
    } else {
      PutU16(out, w);
      ++i;
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeZlib(std::span<const std::uint8_t> in) {
  uLongf size = compressBound(static_cast<uLong>(in.size()));
  std::vector<std::uint8_t> out(size);
  if (compress2(out.data(), &size, in.data(), static_cast<uLong>(in.size()), Z_BEST_COMPRESSION) !=
      Z_OK) {
    throw std::runtime_error("zlib could not compress");
  }
  out.resize(size);
  return out;
}

namespace {

constexpr std::size_t kChunkOutput = 32768;  // well below the 16-bit limits of a chunk
constexpr std::size_t kMaxOffset = 4095;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4111;
constexpr int kHashBits = 14;
constexpr int kMaxChain = 32;

std::uint32_t Hash3(const std::uint8_t* p) {
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
  return (v * 2654435761u) >> (32 - kHashBits);
}

// Items of one chunk, with their flag words in front of each group of sixteen.
class ChunkBuilder {
 public:
  ChunkBuilder() { bytes_.push_back(0); }  // anything but the stored-chunk marker

  void Literal(std::uint8_t b) {
    Flag(false);
    bytes_.push_back(b);
  }
  void Match(std::size_t offset, std::size_t length) {
    Flag(true);
    bytes_.push_back(static_cast<std::uint8_t>(offset >> 4));
    bytes_.push_back(static_cast<std::uint8_t>((offset & 0x0F) << 4 | (length - kMinMatch)));
  }
  void Run(std::size_t count, std::uint8_t value) {
    Flag(true);
    const std::size_t c = count - kMinRun;
    bytes_.push_back(0);
    bytes_.push_back(static_cast<std::uint8_t>(c >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(c));
    bytes_.push_back(value);
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  void Flag(bool set) {
    if (flagsUsed_ == 16) {
      flagAt_ = bytes_.size();
      bytes_.push_back(0);
      bytes_.push_back(0);
      flagsUsed_ = 0;
    }
    if (set) {
      const unsigned bit = 0x8000u >> flagsUsed_;
      bytes_[flagAt_] |= static_cast<std::uint8_t>(bit >> 8);
      bytes_[flagAt_ + 1] |= static_cast<std::uint8_t>(bit);
    }
    ++flagsUsed_;
  }
  std::vector<std::uint8_t> bytes_;
  std::size_t flagAt_ = 0;
  int flagsUsed_ = 16;
};

}  // namespace

std::vector<std::uint8_t> EncodeChunkedLz(std::span<const std::uint8_t> in) {
  const std::size_t n = in.size();
  const std::uint8_t* src = in.data();
  std::vector<std::int32_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<std::int32_t> prev(n, -1);
  std::size_t inserted = 0;
  auto insertUpTo = [&](std::size_t end) {
    for (; inserted < end && inserted + kMinMatch <= n; ++inserted) {
      const std::uint32_t h = Hash3(src + inserted);
      prev[inserted] = head[h];
      head[h] = static_cast<std::int32_t>(inserted);
    }
  };

  std::vector<std::uint8_t> out;
  std::size_t pos = 0;
  while (pos < n) {
    const std::size_t chunkStart = pos;
    const std::size_t chunkEnd = std::min(n, pos + kChunkOutput);
    ChunkBuilder chunk;
    while (pos < chunkEnd) {
      std::size_t run = 1;
      while (pos + run < chunkEnd && run < kMaxRun && src[pos + run] == src[pos]) ++run;
      if (run >= kMinRun) {
        chunk.Run(run, src[pos]);
        pos += run;
        continue;
      }
      std::size_t bestLength = 0, bestOffset = 0;
      if (pos + kMinMatch <= chunkEnd) {
        insertUpTo(pos);
        const std::size_t limit = std::min(kMaxMatch, chunkEnd - pos);
        std::int32_t candidate = head[Hash3(src + pos)];
        for (int depth = 0; candidate >= 0 && depth < kMaxChain; ++depth) {
          const std::size_t offset = pos - static_cast<std::size_t>(candidate);
          if (offset > kMaxOffset) break;
          std::size_t length = 0;
          while (length < limit && src[candidate + length] == src[pos + length]) ++length;
          if (length > bestLength) {
            bestLength = length;
            bestOffset = offset;
            if (length == limit) break;
          }
          candidate = prev[static_cast<std::size_t>(candidate)];
        }
      }
      if (bestLength >= kMinMatch) {
        chunk.Match(bestOffset, bestLength);
        pos += bestLength;
      } else {
        chunk.Literal(src[pos]);
        ++pos;
      }
    }
    const std::size_t raw = chunkEnd - chunkStart;
    if (chunk.Bytes().size() > raw) {
      PutI32(out, static_cast<std::int32_t>(raw + 1));
      out.push_back(0x80);
      out.insert(out.end(), src + chunkStart, src + chunkEnd);
    } else {
      PutI32(out, static_cast<std::int32_t>(chunk.Bytes().size()));
      out.insert(out.end(), chunk.Bytes().begin(), chunk.Bytes().end());
    }
  }
  return out;
}

}  // namespace hl

// Decoder of -lh5- streams: LZSS with an 8 KiB window whose literals, match lengths and match
// positions are coded with static Huffman codes that change block by block. Codes are read
// through two-level lookup tables, the symbol's code left-aligned in a 64-bit bit buffer.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "images/codec/Decompress.h"
#include "util/LittleEndian.h"

namespace hl {

namespace {

constexpr int kNC = 510;  // literals 0-255, match lengths 3-256
constexpr int kNP = 14;   // position classes
constexpr int kNT = 19;   // code-length codes
constexpr int kCountBitsC = 9;
constexpr int kCountBitsP = 4;
constexpr int kCountBitsT = 5;
constexpr int kCTableBits = 12;
constexpr int kPTableBits = 8;
constexpr int kMaxCodeLength = 16;
constexpr int kMinMatch = 3;

struct InvalidStream {};

// Bits most significant first. Past the end of the input zero bytes are read, so a cut
// stream decodes to something instead of running off the buffer.
class BitReader {
 public:
  explicit BitReader(std::span<const std::uint8_t> in) : p_(in.data()), end_(p_ + in.size()) {}

  // After Refill at least 57 bits are buffered; every symbol needs fewer than that.
  void Refill() {
    while (count_ <= 56) {
      const std::uint64_t b = p_ < end_ ? *p_++ : 0;
      buf_ |= b << (56 - count_);
      count_ += 8;
    }
  }
  std::uint32_t Peek(int n) const {
    return n == 0 ? 0 : static_cast<std::uint32_t>(buf_ >> (64 - n));
  }
  void Skip(int n) {
    buf_ <<= n;
    count_ -= n;
  }
  std::uint32_t Get(int n) {
    Refill();
    const std::uint32_t v = Peek(n);
    Skip(n);
    return v;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
  std::uint64_t buf_ = 0;
  int count_ = 0;
};

// A canonical Huffman code: codes of `tableBits` bits or fewer resolve in one lookup, longer
// ones through a second table of the remaining bits.
class HuffmanTable {
 public:
  explicit HuffmanTable(int tableBits) : tableBits_(tableBits) {}

  // Every code stands for `symbol` and takes no bits.
  void SetSingle(int symbol) {
    maxLength_ = 0;
    primary_.assign(std::size_t{1} << tableBits_, Entry{static_cast<std::uint16_t>(symbol), 0, 0});
  }

  // Throws InvalidStream unless the lengths fill the code space exactly.
  void Build(std::span<const std::uint8_t> lengths) {
    std::array<int, kMaxCodeLength + 1> count{};
    for (std::uint8_t len : lengths) {
      if (len > kMaxCodeLength) throw InvalidStream{};
      ++count[len];
    }
    std::uint32_t space = 0;
    maxLength_ = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      space += static_cast<std::uint32_t>(count[len]) << (kMaxCodeLength - len);
      if (count[len]) maxLength_ = len;
    }
    if (space != (1u << kMaxCodeLength)) throw InvalidStream{};

    std::array<std::uint32_t, kMaxCodeLength + 2> next{};  // next code of each length
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      next[len + 1] = (next[len] + static_cast<std::uint32_t>(count[len])) << 1;
    }
    const int subBits = std::max(0, maxLength_ - tableBits_);
    primary_.assign(std::size_t{1} << tableBits_, Entry{0, 0, 0});
    secondary_.clear();
    for (std::size_t sym = 0; sym < lengths.size(); ++sym) {
      const int len = lengths[sym];
      if (len == 0) continue;
      const std::uint32_t code = next[len]++;
      const Entry e{static_cast<std::uint16_t>(sym), static_cast<std::uint8_t>(len), 0};
      if (len <= tableBits_) {
        const std::uint32_t first = code << (tableBits_ - len);
        std::fill_n(primary_.begin() + first, std::size_t{1} << (tableBits_ - len), e);
        continue;
      }
      const std::uint32_t prefix = code >> (len - tableBits_);
      Entry& link = primary_[prefix];
      if (!link.sub) {
        link = Entry{static_cast<std::uint16_t>(secondary_.size()), 0, 1};
        secondary_.resize(secondary_.size() + (std::size_t{1} << subBits));
      }
      const std::uint32_t rest = code & ((1u << (len - tableBits_)) - 1);
      const std::uint32_t first = rest << (maxLength_ - len);
      std::fill_n(secondary_.begin() + link.value + first, std::size_t{1} << (maxLength_ - len), e);
    }
  }

  int Decode(BitReader& bits) const {
    bits.Refill();
    const Entry e = primary_[bits.Peek(tableBits_)];
    if (!e.sub) {
      bits.Skip(e.length);
      return e.value;
    }
    const int subBits = maxLength_ - tableBits_;
    const std::uint32_t rest = bits.Peek(maxLength_) & ((1u << subBits) - 1);
    const Entry s = secondary_[e.value + rest];
    bits.Skip(s.length);
    return s.value;
  }

 private:
  struct Entry {
    std::uint16_t value;  // the symbol, or where the second-level table starts
    std::uint8_t length;
    std::uint8_t sub;
  };
  int tableBits_;
  int maxLength_ = 0;
  std::vector<Entry> primary_;
  std::vector<Entry> secondary_;
};

class Lh5Decoder {
 public:
  explicit Lh5Decoder(std::span<const std::uint8_t> in) : bits_(in) {}

  std::size_t Run(std::span<std::uint8_t> out) {
    std::uint8_t* dst = out.data();
    const std::size_t size = out.size();
    std::size_t pos = 0;
    while (pos < size) {
      if (blockLeft_ == 0) ReadBlockHeader();
      --blockLeft_;
      const int c = cTable_.Decode(bits_);
      if (c < 256) {
        dst[pos++] = static_cast<std::uint8_t>(c);
        continue;
      }
      const std::size_t length = static_cast<std::size_t>(c - 256 + kMinMatch);
      const std::size_t back = DecodePosition() + 1;
      if (back > pos) throw InvalidStream{};  // before the image's first byte
      const std::size_t n = std::min(length, size - pos);
      const std::uint8_t* from = dst + pos - back;
      if (back >= n) {
        std::memcpy(dst + pos, from, n);
      } else {
        for (std::size_t i = 0; i < n; ++i) dst[pos + i] = from[i];
      }
      pos += n;
    }
    return pos;
  }

 private:
  void ReadBlockHeader() {
    blockLeft_ = bits_.Get(16);
    if (blockLeft_ == 0) blockLeft_ = 0x10000;  // the 16-bit count wraps
    ReadCodeLengths(kNT, kCountBitsT, 3, tTable_);
    ReadLiteralLengths();
    ReadCodeLengths(kNP, kCountBitsP, -1, pTable_);
  }

  // Lengths of the code-length and position codes: 3 bits each, 7 and up in unary.
  void ReadCodeLengths(int symbols, int countBits, int zeroRunAfter, HuffmanTable& table) {
    const int n = static_cast<int>(bits_.Get(countBits));
    if (n == 0) {
      const int symbol = static_cast<int>(bits_.Get(countBits));
      if (symbol >= symbols) throw InvalidStream{};
      table.SetSingle(symbol);
      return;
    }
    if (n > symbols) throw InvalidStream{};
    std::array<std::uint8_t, kNT> lengths{};
    int i = 0;
    while (i < n) {
      int len = static_cast<int>(bits_.Get(3));
      if (len == 7) {
        while (bits_.Get(1)) {
          if (++len > kMaxCodeLength) throw InvalidStream{};
        }
      }
      lengths[i++] = static_cast<std::uint8_t>(len);
      if (i == zeroRunAfter) {
        int zeros = static_cast<int>(bits_.Get(2));
        while (zeros-- > 0 && i < symbols) lengths[i++] = 0;
      }
    }
    table.Build(std::span(lengths).first(symbols));
  }

  void ReadLiteralLengths() {
    const int n = static_cast<int>(bits_.Get(kCountBitsC));
    if (n == 0) {
      const int symbol = static_cast<int>(bits_.Get(kCountBitsC));
      if (symbol >= kNC) throw InvalidStream{};
      cTable_.SetSingle(symbol);
      return;
    }
    if (n > kNC) throw InvalidStream{};
    std::array<std::uint8_t, kNC> lengths{};
    int i = 0;
    while (i < n) {
      const int c = tTable_.Decode(bits_);
      if (c > 2) {
        lengths[i++] = static_cast<std::uint8_t>(c - 2);
        continue;
      }
      const int zeros = c == 0   ? 1
                        : c == 1 ? static_cast<int>(bits_.Get(4)) + 3
                                 : static_cast<int>(bits_.Get(9)) + 20;
      if (i + zeros > kNC) throw InvalidStream{};
      i += zeros;  // already zero
    }
    cTable_.Build(lengths);
  }

  std::size_t DecodePosition() {
    const int p = pTable_.Decode(bits_);
    if (p == 0) return 0;
    return (std::size_t{1} << (p - 1)) + bits_.Get(p - 1);
  }

  BitReader bits_;
  HuffmanTable tTable_{kPTableBits};
  HuffmanTable pTable_{kPTableBits};
  HuffmanTable cTable_{kCTableBits};
  std::uint32_t blockLeft_ = 0;
};

}  // namespace

std::optional<std::size_t> DecodeLh5Stream(std::span<const std::uint8_t> in, std::size_t size,
                                           std::span<std::uint8_t> out) {
  try {
    Lh5Decoder decoder(in);
    return decoder.Run(out.first(std::min(size, out.size())));
  } catch (const InvalidStream&) {
    return std::nullopt;
  }
}

std::optional<std::size_t> DecodeLzh(std::span<const std::uint8_t> in,
                                     std::span<std::uint8_t> out) {
  if (in.size() < 4) return std::nullopt;
  const std::int32_t size = LoadLE<std::int32_t>(in.data());
  if (size <= 0) return 0;
  return DecodeLh5Stream(in.subspan(4), static_cast<std::size_t>(size), out);
}

}  // namespace hl

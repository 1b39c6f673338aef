#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "images/codec/Compress.h"
#include "images/codec/Decompress.h"

namespace hl {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Words(std::initializer_list<std::uint16_t> words) {
  Bytes b;
  for (auto w : words) {
    b.push_back(static_cast<std::uint8_t>(w));
    b.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  return b;
}

std::optional<Bytes> Decode(int method, const Bytes& in, std::size_t outSize) {
  Bytes out(outSize, 0xEE);
  auto n = Decompress(method, in, out);
  if (!n) return std::nullopt;
  out.resize(*n);
  return out;
}

// Pixels of a tile: gradients, flat areas and a repeating pattern, as 5-6-5 words.
Bytes TileLike(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint16_t v;
      if (y < height / 3) {
        v = static_cast<std::uint16_t>((x / 4) << 11 | (y * 2) << 5 | 7);
      } else if (y < 2 * height / 3) {
        v = ((x / 6 + y / 6) % 2) ? 0x39E7 : 0x7BEF;
      } else {
        v = static_cast<std::uint16_t>(0x4208 + (rng() % 4 == 0 ? rng() % 64 : 0));
      }
      b.push_back(static_cast<std::uint8_t>(v));
      b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  }
  return b;
}

TEST(WordRle, LiteralsAndRuns) {
  EXPECT_EQ(Decode(1, Words({1, 0xAAAA, 7, 3, 2}), 100), Words({1, 7, 7, 7, 2}));
  // A run of count 0 writes nothing but still takes its three words.
  EXPECT_EQ(Decode(1, Words({0xAAAA, 9, 0, 5}), 100), Words({5}));
  // An odd last byte is no word.
  Bytes odd = Words({4});
  odd.push_back(0x99);
  EXPECT_EQ(Decode(1, odd, 100), Words({4}));
}

TEST(WordRle, MarkerWithoutItsWordsIsInvalid) {
  EXPECT_EQ(Decode(1, Words({1, 0xAAAA, 7}), 100), std::nullopt);
  EXPECT_EQ(Decode(1, Words({1, 0xAAAA}), 100), std::nullopt);
}

TEST(WordRle, OutputIsCutAtTheBuffer) {
  EXPECT_EQ(Decode(1, Words({1, 0xAAAA, 7, 60000, 2}), 6), Words({1, 7, 7}));
  EXPECT_EQ(Decode(1, Words({1, 2, 3, 4}), 4), Words({1, 2}));
}

TEST(Zlib, CutAtTheBufferButDamageIsAnError) {
  const Bytes pixels = TileLike(96, 64, 1);
  const Bytes packed = EncodeZlib(pixels);
  EXPECT_EQ(Decode(2, packed, pixels.size()), pixels);
  auto cut = Decode(2, packed, 100);
  ASSERT_TRUE(cut);
  EXPECT_EQ(*cut, Bytes(pixels.begin(), pixels.begin() + 100));
  EXPECT_EQ(Decode(2, Bytes(packed.begin(), packed.end() - 10), pixels.size()), std::nullopt);
  Bytes damaged = packed;
  damaged[0] ^= 0xFF;
  EXPECT_EQ(Decode(2, damaged, pixels.size()), std::nullopt);
}

// One method-3 chunk from its items.
Bytes Chunk(const Bytes& body) {
  Bytes b(4);
  const auto k = static_cast<std::int32_t>(body.size());
  std::memcpy(b.data(), &k, 4);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

TEST(ChunkedLz, StoredChunks) {
  EXPECT_EQ(Decode(3, Chunk({0x80}), 100), Bytes{});
  EXPECT_EQ(Decode(3, Chunk({0x80, 1, 2, 3}), 100), (Bytes{1, 2, 3}));
  EXPECT_EQ(Decode(3, Chunk({}), 100), Bytes{});
}

TEST(ChunkedLz, RunsAtTheirSmallestAndLargest) {
  // Flags 1000...: one run item.
  auto smallest = Decode(3, Chunk({0, 0x80, 0x00, 0x00, 0x00, 0x00, 0x5A}), 5000);
  EXPECT_EQ(smallest, Bytes(16, 0x5A));
  auto largest = Decode(3, Chunk({0, 0x80, 0x00, 0x00, 0x0F, 0xFF, 0x5A}), 5000);
  EXPECT_EQ(largest, Bytes(4111, 0x5A));
}

TEST(ChunkedLz, OverlappingMatchRepeatsTheLastByte) {
  // Flags 0 1: literal 'x', then offset 1 length 18.
  auto out = Decode(3, Chunk({0, 0x40, 0x00, 'x', 0x00, 0x1F}), 100);
  EXPECT_EQ(out, Bytes(19, 'x'));
}

TEST(ChunkedLz, MatchesReachIntoEarlierChunks) {
  Bytes in = Chunk({0x80, 'a', 'b', 'c', 'd'});
  const Bytes second = Chunk({0, 0x80, 0x00, 0x00, 0x41});  // offset 4, length 4
  in.insert(in.end(), second.begin(), second.end());
  EXPECT_EQ(Decode(3, in, 100), (Bytes{'a', 'b', 'c', 'd', 'a', 'b', 'c', 'd'}));
}

TEST(ChunkedLz, InvalidStreams) {
  // A match before the image's first byte.
  EXPECT_EQ(Decode(3, Chunk({0, 0x80, 0x00, 0x00, 0x10}), 100), std::nullopt);
  // Chunk lengths that are negative or run past the data, and a cut length field.
  Bytes negative = {0xFF, 0xFF, 0xFF, 0xFF, 0x80};
  EXPECT_EQ(Decode(3, negative, 100), std::nullopt);
  Bytes tooLong = Chunk({0x80, 1, 2});
  tooLong[0] = 9;
  EXPECT_EQ(Decode(3, tooLong, 100), std::nullopt);
  Bytes cutField = Chunk({0x80, 1});
  cutField.push_back(3);
  EXPECT_EQ(Decode(3, cutField, 100), std::nullopt);
  // Items cut inside the chunk.
  EXPECT_EQ(Decode(3, Chunk({0, 0x80, 0x00, 0x00}), 100), std::nullopt);
  EXPECT_EQ(Decode(3, Chunk({0, 0x80, 0x00, 0x00, 0x00, 0x01}), 100), std::nullopt);
  EXPECT_EQ(Decode(3, Chunk({0, 0x80}), 100), std::nullopt);
}

TEST(ChunkedLz, OutputIsCutAtTheBuffer) {
  EXPECT_EQ(Decode(3, Chunk({0, 0x80, 0x00, 0x00, 0x0F, 0xFF, 0x5A}), 10), Bytes(10, 0x5A));
  EXPECT_EQ(Decode(3, Chunk({0x80, 1, 2, 3}), 2), (Bytes{1, 2}));
}

TEST(Encoders, RoundTripTileLikeImages) {
  for (auto [w, h] : {std::pair{96, 64}, {48, 32}, {1, 5}, {300, 250}}) {
    const Bytes pixels = TileLike(w, h, static_cast<unsigned>(w * h));
    EXPECT_EQ(Decode(1, EncodeWordRle(pixels), pixels.size()), pixels) << w << "x" << h;
    EXPECT_EQ(Decode(2, EncodeZlib(pixels), pixels.size()), pixels) << w << "x" << h;
    const Bytes lz = EncodeChunkedLz(pixels);
    EXPECT_EQ(Decode(3, lz, pixels.size()), pixels) << w << "x" << h;
    if (w == 96) {
      EXPECT_LT(lz.size(), pixels.size() / 2);
    }
  }
  // Noise: chunks that would grow are stored; the 0xAAAA word survives run-length coding.
  std::mt19937 rng(5);
  Bytes noise(70000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
  noise[10] = noise[11] = 0xAA;
  EXPECT_EQ(Decode(3, EncodeChunkedLz(noise), noise.size()), noise);
  EXPECT_EQ(Decode(1, EncodeWordRle(noise), noise.size()), noise);
}

TEST(Decompress, UnknownMethodsAreInvalid) {
  EXPECT_EQ(Decode(0, Bytes{1, 2}, 10), std::nullopt);
  EXPECT_EQ(Decode(5, Bytes{1, 2}, 10), std::nullopt);
}

// ---- method 4 ---------------------------------------------------------------------------

Bytes ReadFixture(const std::string& name) {
  std::ifstream in(std::string(HL_FIXTURE_DIR) + "/lh5/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes WithSize(std::int32_t size, const Bytes& stream) {
  Bytes b(4);
  std::memcpy(b.data(), &size, 4);
  b.insert(b.end(), stream.begin(), stream.end());
  return b;
}

// Streams made by an independent archiver decode to the archived bytes, including matches
// that cross the 8192-byte pieces and reach the whole window.
TEST(Lzh, DecodesStreamsOfAnIndependentArchiver) {
  for (const char* name : {"text", "tiles565", "run5000", "longdist", "window", "tiny", "ramp",
                           "tile96x64", "tile48x32", "noisy"}) {
    const Bytes original = ReadFixture(std::string(name) + ".bin");
    const Bytes stream = ReadFixture(std::string(name) + ".lh5");
    ASSERT_FALSE(original.empty()) << name;
    const auto size = static_cast<std::int32_t>(original.size());
    EXPECT_EQ(Decode(4, WithSize(size, stream), original.size()), original) << name;
    // A smaller decoded size or a smaller buffer stops early with the same bytes.
    const Bytes head(original.begin(), original.begin() + original.size() / 3);
    EXPECT_EQ(Decode(4, WithSize(static_cast<std::int32_t>(head.size()), stream), original.size()),
              head);
    EXPECT_EQ(Decode(4, WithSize(size, stream), head.size()), head) << name;
  }
}

TEST(Lzh, ZeroSizeProducesNothingAndShortInputIsInvalid) {
  EXPECT_EQ(Decode(4, WithSize(0, {0xFF, 0xFF}), 100), Bytes{});
  EXPECT_EQ(Decode(4, WithSize(-5, {0xFF, 0xFF}), 100), Bytes{});
  EXPECT_EQ(Decode(4, Bytes{1, 0, 0}, 100), std::nullopt);
}

// Bits most significant first, as the stream is read.
class BitWriter {
 public:
  void Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if (value >> i & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (used_ % 8));
      ++used_;
    }
  }
  const Bytes& Get() const { return bytes_; }

 private:
  Bytes bytes_;
  int used_ = 0;
};

TEST(Lzh, SingleSymbolTablesTakeNoBits) {
  BitWriter w;
  w.Put(5, 16);   // five symbols in the block
  w.Put(0, 5);    // code-length code: one symbol...
  w.Put(0, 5);    // ...0
  w.Put(0, 9);    // literal/length code: one symbol...
  w.Put('A', 9);  // ...'A'
  w.Put(0, 4);    // position code: one symbol...
  w.Put(0, 4);    // ...0
  EXPECT_EQ(Decode(4, WithSize(5, w.Get()), 100), Bytes(5, 'A'));
}

TEST(Lzh, InvalidStreams) {
  BitWriter before;  // a match as the very first symbol
  before.Put(1, 16);
  before.Put(0, 5);
  before.Put(0, 5);
  before.Put(0, 9);
  before.Put(256, 9);
  before.Put(0, 4);
  before.Put(0, 4);
  EXPECT_EQ(Decode(4, WithSize(3, before.Get()), 100), std::nullopt);

  BitWriter overfull;  // three code lengths of 1 bit
  overfull.Put(1, 16);
  overfull.Put(3, 5);
  for (int i = 0; i < 3; ++i) overfull.Put(1, 3);
  overfull.Put(0, 2);
  EXPECT_EQ(Decode(4, WithSize(3, overfull.Get()), 100), std::nullopt);

  BitWriter incomplete;  // one code of 1 bit leaves half the code space empty
  incomplete.Put(1, 16);
  incomplete.Put(1, 5);
  incomplete.Put(1, 3);
  EXPECT_EQ(Decode(4, WithSize(3, incomplete.Get()), 100), std::nullopt);

  BitWriter outOfRange;  // a single literal/length symbol past the alphabet
  outOfRange.Put(1, 16);
  outOfRange.Put(0, 5);
  outOfRange.Put(0, 5);
  outOfRange.Put(0, 9);
  outOfRange.Put(511, 9);
  EXPECT_EQ(Decode(4, WithSize(3, outOfRange.Get()), 100), std::nullopt);
}

TEST(Lzh, CutStreamsNeverReadPastTheirEnd) {
  const Bytes original = ReadFixture("tiles565.bin");
  const Bytes stream = ReadFixture("tiles565.lh5");
  for (std::size_t keep : {std::size_t{0}, std::size_t{1}, std::size_t{7}, stream.size() / 2}) {
    // Exactly the kept bytes, so that AddressSanitizer sees any read beyond them.
    Bytes in = WithSize(static_cast<std::int32_t>(original.size()),
                        Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(keep)));
    in.shrink_to_fit();
    Bytes out(original.size());
    const auto n = Decompress(4, in, out);
    if (n) {
      EXPECT_LE(*n, out.size());
    }
  }
}

}  // namespace
}  // namespace hl

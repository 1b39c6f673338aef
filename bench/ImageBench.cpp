// Image library costs beside their yardsticks: opening a library of 65,535 images against
// one fread of its index, a cached request, and each decompression method against memcpy of
// the same output, zlib's own inflate and (where installed) liblhasa's -lh5- decoder.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "images/codec/Compress.h"
#include "images/codec/Decompress.h"
#include "images/LibraryWriter.h"
#include "images/TFirImages.h"
#include "images/TWilImages.h"

#ifdef HL_HAVE_LHASA
#include <lhasa.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFixture(const std::string& name) {
  std::ifstream in(std::string(HL_FIXTURE_DIR) + "/lh5/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One tile in every stored form: Methods[1] to [4] as a Data library stores them, Lh5 the
// bare -lh5- stream of method 4 (made by an independent archiver).
struct TileStreams {
  Bytes Pixels;
  std::array<Bytes, 5> Methods;
  Bytes Lh5;
};

TileStreams MakeTile(const char* name) {
  TileStreams t;
  t.Pixels = ReadFixture(std::string(name) + ".bin");
  t.Lh5 = ReadFixture(std::string(name) + ".lh5");
  if (t.Pixels.empty() || t.Lh5.empty()) std::abort();
  t.Methods[1] = hl::EncodeWordRle(t.Pixels);
  t.Methods[2] = hl::EncodeZlib(t.Pixels);
  t.Methods[3] = hl::EncodeChunkedLz(t.Pixels);
  t.Methods[4].resize(4);
  const auto size = static_cast<std::int32_t>(t.Pixels.size());
  std::memcpy(t.Methods[4].data(), &size, 4);
  t.Methods[4].insert(t.Methods[4].end(), t.Lh5.begin(), t.Lh5.end());
  return t;
}

// state.range(0): 0 for the 96 x 64 tile, 1 for the 48 x 32 one.
const TileStreams& Tile(const benchmark::State& state) {
  static const std::array<TileStreams, 2> tiles = {MakeTile("tile96x64"), MakeTile("tile48x32")};
  return tiles[static_cast<std::size_t>(state.range(0))];
}

void TileArgs(benchmark::internal::Benchmark* b) {
  b->ArgName("tile96x64_0_tile48x32_1")->Arg(0)->Arg(1);
}

void BM_MemcpyTile(benchmark::State& state) {
  const TileStreams& t = Tile(state);
  Bytes out(t.Pixels.size());
  for (auto _ : state) {
    std::memcpy(out.data(), t.Pixels.data(), out.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_MemcpyTile)->Apply(TileArgs);

template <int Method>
void BM_DecodeMethod(benchmark::State& state) {
  const TileStreams& t = Tile(state);
  Bytes out(t.Pixels.size());
  for (auto _ : state) {
    auto n = hl::Decompress(Method, t.Methods[Method], out);
    if (!n || *n != out.size()) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(out.data());
  }
  if (out != t.Pixels) state.SkipWithError("wrong pixels");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
  state.counters["stored_bytes"] = static_cast<double>(t.Methods[Method].size());
}
BENCHMARK_TEMPLATE(BM_DecodeMethod, 1)->Apply(TileArgs);
BENCHMARK_TEMPLATE(BM_DecodeMethod, 2)->Apply(TileArgs);
BENCHMARK_TEMPLATE(BM_DecodeMethod, 3)->Apply(TileArgs);
BENCHMARK_TEMPLATE(BM_DecodeMethod, 4)->Apply(TileArgs);

// Yardstick of method 2: zlib's inflate called directly on the same streams.
void BM_ZlibInflateDirect(benchmark::State& state) {
  const TileStreams& t = Tile(state);
  const Bytes& in = t.Methods[2];
  Bytes out(t.Pixels.size());
  for (auto _ : state) {
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
    inflateEnd(&z);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_ZlibInflateDirect)->Apply(TileArgs);

#ifdef HL_HAVE_LHASA
struct MemoryInput {
  const Bytes* Data;
  std::size_t Pos;
};

std::size_t ReadMemory(void* buf, std::size_t len, void* user) {
  auto* in = static_cast<MemoryInput*>(user);
  const std::size_t n = std::min(len, in->Data->size() - in->Pos);
  std::memcpy(buf, in->Data->data() + in->Pos, n);
  in->Pos += n;
  return n;
}

// Yardstick of method 4: liblhasa decoding the same -lh5- streams from memory.
void BM_LiblhasaLh5(benchmark::State& state) {
  const TileStreams& t = Tile(state);
  Bytes out(t.Pixels.size());
  char name[] = "-lh5-";
  LHADecoderType* type = lha_decoder_for_name(name);
  for (auto _ : state) {
    MemoryInput input{&t.Lh5, 0};
    LHADecoder* d = lha_decoder_new(type, ReadMemory, &input, out.size());
    const std::size_t n = lha_decoder_read(d, out.data(), out.size());
    lha_decoder_free(d);
    if (n != out.size()) state.SkipWithError("liblhasa failed");
    benchmark::DoNotOptimize(out.data());
  }
  if (out != t.Pixels) state.SkipWithError("wrong pixels");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_LiblhasaLh5)->Apply(TileArgs);
#endif

// ---- opening and requests ---------------------------------------------------------------

constexpr int kManyImages = 65535;

std::string BenchPath(const std::string& name) {
  return "/tmp/hl_bench_" + std::to_string(::getpid()) + "_" + name;
}

// Libraries of 65,535 small images in both formats, made once.
struct BigLibraries {
  std::string Data = BenchPath("Big.Data");
  std::string Wil = BenchPath("Big.wil");
  BigLibraries() {
    std::vector<hl::LibraryImage> images(kManyImages);
    for (int i = 0; i < kManyImages; ++i) {
      images[static_cast<std::size_t>(i)] = {2, 3, 0, 0,
                                             Bytes(2 * 3 * 2, static_cast<std::uint8_t>(i))};
    }
    if (!hl::WriteDataLibrary(Data, 0, images)) std::abort();
    if (!hl::WriteWilLibrary(Wil, {16, true, {}}, images)) std::abort();
  }
  ~BigLibraries() {
    std::remove(Data.c_str());
    std::remove(Wil.c_str());
    std::remove(hl::TWilImages::IndexFileName(Wil).c_str());
  }
};

const BigLibraries& Big() {
  static const BigLibraries big;
  return big;
}

// Yardstick of Open: one fread of the index bytes of the Data library.
void BM_FreadIndexBytes(benchmark::State& state) {
  Bytes index(kManyImages * 4);
  for (auto _ : state) {
    std::FILE* f = std::fopen(Big().Data.c_str(), "rb");
    std::fseek(f, hl::TFirImages::kHeaderSize, SEEK_SET);
    if (std::fread(index.data(), 1, index.size(), f) != index.size()) state.SkipWithError("short");
    std::fclose(f);
    benchmark::DoNotOptimize(index.data());
  }
}
BENCHMARK(BM_FreadIndexBytes)->Unit(benchmark::kMicrosecond);

template <typename Library>
void BM_OpenLibrary(benchmark::State& state) {
  const std::string& path = std::is_same_v<Library, hl::TFirImages> ? Big().Data : Big().Wil;
  for (auto _ : state) {
    Library lib;
    lib.FileName = path;
    lib.Open();
    if (lib.PositionCount() != kManyImages) state.SkipWithError("open failed");
    benchmark::DoNotOptimize(lib.Images.begin());
  }
}
BENCHMARK_TEMPLATE(BM_OpenLibrary, hl::TFirImages)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_OpenLibrary, hl::TWilImages)->Unit(benchmark::kMicrosecond);

void BM_CachedRequest(benchmark::State& state) {
  hl::TFirImages lib;
  lib.FileName = Big().Data;
  lib.Open();
  for (int i = 0; i < 64; ++i) lib.GetBitmap(i * 1000);
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lib.GetBitmap((i & 63) * 1000));
    ++i;
  }
}
BENCHMARK(BM_CachedRequest);

}  // namespace

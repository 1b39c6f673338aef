// A durable map save beside the plainest durable write of the same bytes: one fwrite, fflush
// and fsync. Both go to a real disk, since on tmpfs a sync costs nothing and the comparison
// would say nothing. The folder is HL_BENCH_DIR, or the current folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "map/MapDocument.h"
#include "map/MapFile.h"

namespace {

using hl::MapDocument;

constexpr int kSide = 999;
constexpr std::size_t kMapFileBytes = 52 + std::size_t{kSide} * kSide * 12;  // 11,976,064

std::string BenchPath(const char* name) {
  const char* dir = std::getenv("HL_BENCH_DIR");
  const std::string folder = dir && *dir ? dir : ".";
  return folder + "/hl_bench_save_" + std::to_string(::getpid()) + "_" + name;
}

// Every field of every cell varied, marks and all, as in a worked-over map.
void FillVaried(MapDocument& doc) {
  std::mt19937 rng(7);
  doc.SetMapSize(kSide, kSide);
  for (int x = 0; x < kSide; ++x) {
    auto& column = doc.WritableColumn(x);
    for (int y = 0; y < kSide; ++y) {
      hl::TMapCell& c = column[y];
      c.BackTile = static_cast<std::uint16_t>(rng());
      c.MiddleTile = static_cast<std::uint16_t>(rng());
      c.ObjectImage = static_cast<std::uint16_t>(rng());
      c.Door = static_cast<std::uint8_t>(rng());
      c.DoorOffset = static_cast<std::uint8_t>(rng());
      c.AniFrame = static_cast<std::uint8_t>(rng());
      c.AniTick = static_cast<std::uint8_t>(rng());
      c.ObjectLib = static_cast<std::uint8_t>(rng() % 6);
      c.Light = static_cast<std::uint8_t>(rng() % 5);
    }
  }
}

class SaveFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    map_ = BenchPath("map.map");
    raw_ = BenchPath("raw.map");
    doc_ = std::make_unique<MapDocument>();
    FillVaried(*doc_);
    if (!hl::SaveMap(*doc_, map_, hl::kBitCountData)) std::abort();
    bytes_.assign(kMapFileBytes, 0);
    std::FILE* f = std::fopen(map_.c_str(), "rb");
    if (!f || std::fread(bytes_.data(), 1, bytes_.size(), f) != bytes_.size()) std::abort();
    std::fclose(f);
  }
  void TearDown(const benchmark::State&) override {
    std::remove(map_.c_str());
    std::remove(raw_.c_str());
  }

 protected:
  std::string map_;
  std::string raw_;
  std::unique_ptr<MapDocument> doc_;
  std::vector<std::uint8_t> bytes_;
};

// Yardstick: the map file's bytes written over the previous copy and synced.
BENCHMARK_DEFINE_F(SaveFixture, FwriteFsync)(benchmark::State& state) {
  for (auto _ : state) {
    std::FILE* f = std::fopen(raw_.c_str(), "wb");
    if (!f) {
      state.SkipWithError("cannot create");
      break;
    }
    const std::size_t put = std::fwrite(bytes_.data(), 1, bytes_.size(), f);
    const bool synced = std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
    std::fclose(f);
    if (put != bytes_.size() || !synced) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes_.size()));
}
BENCHMARK_REGISTER_F(SaveFixture, FwriteFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor's save over the previous copy: temporary file, sync, rename, folder sync.
BENCHMARK_DEFINE_F(SaveFixture, SaveMap)(benchmark::State& state) {
  for (auto _ : state) {
    if (!hl::SaveMap(*doc_, map_, hl::kBitCountData)) {
      state.SkipWithError("save failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes_.size()));
}
BENCHMARK_REGISTER_F(SaveFixture, SaveMap)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

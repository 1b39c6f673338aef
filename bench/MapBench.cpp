// The map document's undo and file costs, each beside the plain memory or file operation it
// is held against, so that their ratio can be read off one run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "map/MapDocument.h"
#include "map/MapFile.h"
#include "tools/Region.h"

namespace {

using hl::CellStorage;
using hl::MapDocument;

constexpr int kSide = 999;
constexpr std::size_t kMapFileBytes = 52 + std::size_t{kSide} * kSide * 12;  // 11,976,064

std::string TempPath(const char* name) {
  return "/tmp/hl_bench_" + std::to_string(::getpid()) + "_" + name;
}

void FillRandom(MapDocument& doc, unsigned seed) {
  std::mt19937 rng(seed);
  doc.SetMapSize(kSide, kSide);
  for (int x = 0; x < kSide; ++x) {
    auto& column = doc.WritableColumn(x);
    for (int y = 0; y < kSide; ++y) {
      column[y].BackTile = static_cast<std::uint16_t>(rng() & 0x7FFF);
      column[y].MiddleTile = static_cast<std::uint16_t>(rng());
      column[y].ObjectImage = static_cast<std::uint16_t>(rng() & 0x7FFF);
      column[y].ObjectLib = static_cast<std::uint8_t>(rng() % 6);
      column[y].Light = static_cast<std::uint8_t>(rng() % 5);
    }
  }
}

// Yardstick of the undo targets: one copy of the whole cell storage.
void BM_MemcpyWholeStorage(benchmark::State& state) {
  std::vector<std::uint8_t> from(CellStorage::kTotalBytes, 1), to(CellStorage::kTotalBytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyWholeStorage)->Unit(benchmark::kMicrosecond);

// What one action of one event costs: the last action closed, a new one opened, then one cell
// written. The history is kept full, so the oldest step is dropped on every push.
void BM_PushUndoThenEdit(benchmark::State& state) {
  auto doc = std::make_unique<MapDocument>();
  FillRandom(*doc, 1);
  int i = 0;
  for (auto _ : state) {
    doc->PushUndo();
    doc->SetBackTile(i % kSide, (i * 7) % kSide, i);
    ++i;
  }
  doc->CloseAction();
  state.counters["undo_bytes"] = static_cast<double>(doc->UndoMemoryBytes());
}
BENCHMARK(BM_PushUndoThenEdit)->Unit(benchmark::kMicrosecond);

// A stroke of 200 mouse events over a crowded map, each event painting a 2 x 2 block in a
// column of its own: the history keeps one step, and per event the stroke costs the edit
// and a check that it joins the open action. Counters: the step's memory against the columns
// it touched.
void BM_StrokeOf200Events(benchmark::State& state) {
  auto doc = std::make_unique<MapDocument>();
  FillRandom(*doc, 5);
  constexpr int kEvents = 200;
  std::size_t stepBytes = 0;
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    doc->ClearUndo();
    ++round;
    state.ResumeTiming();
    doc->PushUndo("Draw Big Tiles");
    for (int e = 0; e < kEvents; ++e) {
      doc->ContinueAction("Draw Big Tiles");
      doc->SetBackTileBlock(2 * e, 2 * ((e * 37 + round) % 400), e + round);
    }
    doc->CloseAction();
    state.PauseTiming();
    stepBytes = doc->UndoMemoryBytes();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kEvents);
  const std::size_t touched = 2 * kEvents;  // two columns per block
  state.counters["step_bytes"] = static_cast<double>(stepBytes);
  state.counters["touched_column_bytes"] =
      static_cast<double>(touched * CellStorage::kColumnBytes);
}
BENCHMARK(BM_StrokeOf200Events)->Unit(benchmark::kMicrosecond);

void BM_PopUndo(benchmark::State& state) {
  auto doc = std::make_unique<MapDocument>();
  FillRandom(*doc, 2);
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    doc->PushUndo();
    doc->SetBackTile(i % kSide, (i * 7) % kSide, i);
    doc->CloseAction();
    ++i;
    state.ResumeTiming();
    doc->PopUndo();
  }
}
BENCHMARK(BM_PopUndo)->Unit(benchmark::kMicrosecond);

// Memory the history holds after ten one-cell edits, each after its own snapshot.
void BM_UndoMemoryAfterTenEdits(benchmark::State& state) {
  auto doc = std::make_unique<MapDocument>();
  FillRandom(*doc, 3);
  std::size_t bytes = 0;
  int round = 0;
  for (auto _ : state) {
    doc->ClearUndo();
    ++round;
    for (int i = 0; i < 10; ++i) {
      doc->PushUndo();
      doc->SetObject(i * 97, i * 31, i + round);  // a new value every round, so each is a step
    }
    doc->CloseAction();
    bytes = doc->UndoMemoryBytes();
  }
  state.counters["undo_bytes"] = static_cast<double>(bytes);
  state.counters["MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_UndoMemoryAfterTenEdits)->Unit(benchmark::kMillisecond);

class MapFileFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    path_ = TempPath("map.map");
    doc_ = std::make_unique<MapDocument>();
    FillRandom(*doc_, 4);
    if (!hl::SaveMap(*doc_, path_, hl::kBitCountData)) std::abort();
    buffer_.assign(kMapFileBytes, 0);
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f || std::fread(buffer_.data(), 1, buffer_.size(), f) != buffer_.size()) std::abort();
    std::fclose(f);
  }
  void TearDown(const benchmark::State&) override {
    std::remove(path_.c_str());
    std::remove((path_ + ".out").c_str());
  }

 protected:
  std::string path_;
  std::unique_ptr<MapDocument> doc_;
  std::vector<std::uint8_t> buffer_;
};

// Yardstick of LoadMap: one plain fread of the whole file.
BENCHMARK_DEFINE_F(MapFileFixture, FreadWholeFile)(benchmark::State& state) {
  for (auto _ : state) {
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), f);
    std::fclose(f);
    if (got != buffer_.size()) state.SkipWithError("short read");
    benchmark::DoNotOptimize(buffer_.data());
  }
}
BENCHMARK_REGISTER_F(MapFileFixture, FreadWholeFile)->Unit(benchmark::kMicrosecond);

BENCHMARK_DEFINE_F(MapFileFixture, LoadMap)(benchmark::State& state) {
  for (auto _ : state) {
    if (!hl::LoadMap(*doc_, path_)) state.SkipWithError("load failed");
  }
}
BENCHMARK_REGISTER_F(MapFileFixture, LoadMap)->Unit(benchmark::kMicrosecond);

// Yardstick of SaveMap: one plain fwrite of the whole file.
BENCHMARK_DEFINE_F(MapFileFixture, FwriteWholeFile)(benchmark::State& state) {
  const std::string out = path_ + ".out";
  for (auto _ : state) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    const std::size_t put = std::fwrite(buffer_.data(), 1, buffer_.size(), f);
    std::fclose(f);
    if (put != buffer_.size()) state.SkipWithError("short write");
  }
}
BENCHMARK_REGISTER_F(MapFileFixture, FwriteWholeFile)->Unit(benchmark::kMicrosecond);

BENCHMARK_DEFINE_F(MapFileFixture, SaveMap)(benchmark::State& state) {
  const std::string out = path_ + ".out";
  for (auto _ : state) {
    if (!hl::SaveMap(*doc_, out, hl::kBitCountData)) state.SkipWithError("save failed");
  }
}
BENCHMARK_REGISTER_F(MapFileFixture, SaveMap)->Unit(benchmark::kMicrosecond);

// A copy and a paste of a 500 x 500 region of a crowded map, beside one memcpy of the copied
// cells' bytes.
constexpr int kRegionSide = 500;
const hl::CellRect kRegion{201, 150, 201 + kRegionSide - 1, 150 + kRegionSide - 1};

void BM_MemcpyRegionBytes(benchmark::State& state) {
  const std::size_t bytes = std::size_t{kRegionSide} * kRegionSide * sizeof(hl::TMapCell);
  std::vector<std::uint8_t> from(bytes, 1), to(bytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyRegionBytes)->Unit(benchmark::kMicrosecond);

void BM_CopyRegion(benchmark::State& state) {
  auto doc = std::make_unique<MapDocument>();
  FillRandom(*doc, 5);
  for (auto _ : state) {
    hl::RegionCopy copy = hl::CopyRegion(*doc, kRegion, hl::kRegionAllLayers);
    benchmark::DoNotOptimize(copy.Cells.data());
  }
}
BENCHMARK(BM_CopyRegion)->Unit(benchmark::kMicrosecond);

// Replacing and merging: the target's columns are owned already, as after the first paste.
void BM_PasteRegion(benchmark::State& state) {
  auto doc = std::make_unique<MapDocument>();
  FillRandom(*doc, 6);
  const hl::RegionCopy copy = hl::CopyRegion(*doc, kRegion, hl::kRegionAllLayers);
  const bool merge = state.range(0) != 0;
  for (auto _ : state) {
    hl::PasteRegion(*doc, copy, 400, 300, merge);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PasteRegion)->ArgName("merge")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

// The whole world of a segment project: `hlmap world-render` and the World dock's thumbnails
// of a 100 x 100-segment project (10,000 files), per segment, beside the yardstick of reading
// one segment file and drawing its cells once at the same scale; and the peak resident set of
// world-render for worlds of different sizes beside that of `hlmap render`.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "BenchSupport.h"
#include "WorldSupport.h"
#include "util/WorkerPool.h"
#include "view/ThumbnailBuilder.h"
#include "view/WorldRender.h"

namespace {

constexpr int kSide = 100;
constexpr double kSegments = kSide * kSide;

std::string BenchFolder() {
  const char* dir = std::getenv("HL_BENCH_DIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/hl_bench_world_" + std::to_string(::getpid());
}

struct World {
  std::string Folder = BenchFolder();
  hl::LibrarySet Libraries;
  hl::WorldProject Project;
  World() {
    std::filesystem::create_directories(Folder);
    if (hl::bench::RunAndMeasure({HL_HLMAP, "demo-world", Folder}) < 0) std::abort();
    Libraries.Open(hl::LibraryFormat::Data, Folder);
    hl::bench::WriteBenchWorld(Folder, "B", kSide, kSide, Libraries);
    hl::bench::WriteBenchWorld(Folder, "S", 10, 10, Libraries);
    std::string error;
    const auto project = hl::OpenWorld(Folder + "/B.mp", &error);
    if (!project) std::abort();
    Project = *project;
  }
  // HL_BENCH_KEEP=1 leaves the worlds for measuring hlmap by hand.
  ~World() {
    if (!std::getenv("HL_BENCH_KEEP")) std::filesystem::remove_all(Folder);
  }
};

World& TheWorld() {
  static World world;
  return world;
}

benchmark::Counter PerSegment(double segments) {
  return benchmark::Counter(segments, benchmark::Counter::kIsIterationInvariantRate |
                                          benchmark::Counter::kInvert);
}

// Yardstick: one segment file read and its cells drawn once at 1/16, a different segment each
// time, the images already decoded and scaled.
void BM_ReadAndDrawOneSegment(benchmark::State& state) {
  World& world = TheWorld();
  const hl::SegmentFiles files(world.Project);
  auto doc = std::make_unique<hl::MapDocument>();
  hl::MapRenderer renderer(*doc, world.Libraries);
  renderer.SetWorldPlacement({1, hl::kThumbnailScale}, {0, 0});
  QImage picture(120, 80, QImage::Format_RGB32);
  hl::SegmentBlock block;
  int i = 0;
  for (auto _ : state) {
    const int c = i % kSide, r = i / kSide % kSide;
    ++i;
    if (!hl::ReadSegmentBlock(files.Look(c, r), block)) state.SkipWithError("not read");
    for (int x = 0; x < hl::kSegmentSide; ++x) {
      std::copy_n(block.data() + x * hl::kSegmentSide, hl::kSegmentSide,
                  doc->WritableColumn(x).data());
    }
    picture.fill(hl::MapRenderer::kSurfaceColour);
    renderer.DrawLayers(picture, {0, 0}, picture.rect(), {0, 39, 0, 39, 0, 39});
    benchmark::DoNotOptimize(picture.bits());
  }
  state.counters["per_segment"] = PerSegment(1);
}
BENCHMARK(BM_ReadAndDrawOneSegment)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One worker, then as many as the machine has cores: a whole world's work each, twice.
void OneWorkerAndAll(benchmark::internal::Benchmark* b) {
  b->ArgName("workers")
      ->Arg(1)
      ->Arg(hl::WorkerPool::DefaultSize())
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(2);
}

// The whole 100 x 100 world at 1/16 (12,000 x 8,000 pixels) into a PNG, on `workers` threads.
void BM_WorldRender100x100(benchmark::State& state) {
  World& world = TheWorld();
  const hl::SegmentFiles files(world.Project);
  hl::WorldRenderJob job;
  job.Segments = QRect(0, 0, kSide, kSide);
  job.LibraryFolder = world.Folder;
  job.Workers = static_cast<int>(state.range(0));
  const std::string out = world.Folder + "/world.png";
  for (auto _ : state) {
    if (!hl::WriteWorldPng(files, job, out)) state.SkipWithError("not written");
  }
  state.counters["per_segment"] = PerSegment(kSegments);
}
BENCHMARK(BM_WorldRender100x100)->Apply(OneWorkerAndAll);

void WaitIdle(const hl::ThumbnailBuilder& builder) {
  while (!builder.Idle()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

hl::ThumbnailBuilder::Settings ThumbnailSettings(const std::string& cache, int workers) {
  World& world = TheWorld();
  return {world.Project, hl::LibraryFormat::Data, world.Folder, cache, workers, true};
}

// Every thumbnail of the world made and kept on disk, from an empty cache.
void BM_BuildThumbnails100x100(benchmark::State& state) {
  const std::string cache = TheWorld().Folder + "/cache-build";
  long built = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(cache);
    state.ResumeTiming();
    hl::ThumbnailBuilder builder(ThumbnailSettings(cache, static_cast<int>(state.range(0))), {});
    WaitIdle(builder);
    built = builder.BuiltCount();
  }
  if (built != kSide * kSide) state.SkipWithError("not every thumbnail was made");
  state.counters["per_segment"] = PerSegment(kSegments);
}
BENCHMARK(BM_BuildThumbnails100x100)->Apply(OneWorkerAndAll);

// The second opening: every thumbnail found on disk under its key.
void BM_ReopenThumbnails100x100(benchmark::State& state) {
  const std::string cache = TheWorld().Folder + "/cache-reopen";
  {
    hl::ThumbnailBuilder first(ThumbnailSettings(cache, hl::WorkerPool::DefaultSize()), {});
    WaitIdle(first);
  }
  long read = 0;
  for (auto _ : state) {
    hl::ThumbnailBuilder builder(ThumbnailSettings(cache, hl::WorkerPool::DefaultSize()), {});
    WaitIdle(builder);
    read = builder.ReadCount();
  }
  if (read != kSide * kSide) state.SkipWithError("thumbnails were made again");
  state.counters["per_segment"] = PerSegment(kSegments);
}
BENCHMARK(BM_ReopenThumbnails100x100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Peak resident set of hlmap, as a process: world-render at 1/16 of a 10 x 10 and a 100 x 100
// world (the yardstick of each other: memory follows the band, not the world), and `hlmap
// render` of the demo map for 1920 x 1080 as the yardstick of a picture command.
void BM_PeakResidentSet(benchmark::State& state) {
  World& world = TheWorld();
  const std::string f = world.Folder;
  std::vector<std::string> command;
  switch (state.range(0)) {
    case 0:
      command = {HL_HLMAP, "render", f + "/demo.map", f + "/r.png", "--libs", f, "--zoom", "1",
                 "--size", "1920x1080"};
      break;
    case 1:
      command = {HL_HLMAP, "world-render", f + "/S.mp", f + "/s.png", "--libs", f};
      break;
    default:
      command = {HL_HLMAP, "world-render", f + "/B.mp", f + "/b.png", "--libs", f};
      break;
  }
  long kib = 0;
  for (auto _ : state) {
    kib = hl::bench::RunAndMeasure(command);
    if (kib < 0) state.SkipWithError("hlmap failed");
  }
  state.counters["peak_rss_MiB"] = static_cast<double>(kib) / 1024.0;
}
BENCHMARK(BM_PeakResidentSet)
    ->ArgName("render_world10_world100")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  return hl::bench::RunWithGui(argc, argv);
}

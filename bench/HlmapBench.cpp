// hlmap as a whole process, start to exit, beside the plainest processes that do the same
// work: `hlmap save-as` of a full 999 x 999 map beside `cp` of the file followed by `sync` of
// the copy (both durable), and `hlmap --help` beside `true`. Files go to HL_BENCH_DIR, or the
// current folder, which should be on a disk: on tmpfs a sync costs nothing.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "map/MapDocument.h"
#include "map/MapFile.h"

extern char** environ;

namespace {

using hl::MapDocument;

constexpr int kSide = 999;

std::string BenchPath(const char* name) {
  const char* dir = std::getenv("HL_BENCH_DIR");
  const std::string folder = dir && *dir ? dir : ".";
  return folder + "/hl_bench_hlmap_" + std::to_string(::getpid()) + "_" + name;
}

// Runs a program with its output thrown away; true when it exits with 0.
bool RunProcess(std::vector<std::string> args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class ProcessFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    map_ = BenchPath("map.map");
    out_ = BenchPath("out.map");
    // Every cell in use and varied, as in a worked-over map; no library 7, so that the save
    // has nothing to report.
    auto doc = std::make_unique<MapDocument>();
    doc->SetMapSize(kSide, kSide);
    std::mt19937 rng(7);
    for (int x = 0; x < kSide; ++x) {
      auto& column = doc->WritableColumn(x);
      for (int y = 0; y < kSide; ++y) {
        column[y].BackTile = static_cast<std::uint16_t>(rng());
        column[y].MiddleTile = static_cast<std::uint16_t>(rng());
        column[y].ObjectImage = static_cast<std::uint16_t>(rng());
        column[y].ObjectLib = static_cast<std::uint8_t>(rng() % 6);
        column[y].Light = static_cast<std::uint8_t>(rng() % 5);
      }
    }
    if (!hl::SaveMap(*doc, map_, hl::kBitCountData)) std::abort();
  }
  void TearDown(const benchmark::State&) override {
    std::remove(map_.c_str());
    std::remove(out_.c_str());
  }

 protected:
  std::string map_;
  std::string out_;
};

// Yardstick: the file copied and the copy synced, by two processes.
BENCHMARK_DEFINE_F(ProcessFixture, CpThenSync)(benchmark::State& state) {
  for (auto _ : state) {
    if (!RunProcess({"cp", map_, out_}) || !RunProcess({"sync", out_})) {
      state.SkipWithError("cp or sync failed");
      break;
    }
  }
}
BENCHMARK_REGISTER_F(ProcessFixture, CpThenSync)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_DEFINE_F(ProcessFixture, HlmapSaveAs)(benchmark::State& state) {
  for (auto _ : state) {
    if (!RunProcess({HL_HLMAP, "save-as", map_, out_})) {
      state.SkipWithError("hlmap save-as failed");
      break;
    }
  }
}
BENCHMARK_REGISTER_F(ProcessFixture, HlmapSaveAs)->Unit(benchmark::kMillisecond)->UseRealTime();

// Yardstick: a process that does nothing.
void True(benchmark::State& state) {
  for (auto _ : state) {
    if (!RunProcess({"true"})) {
      state.SkipWithError("true failed");
      break;
    }
  }
}
BENCHMARK(True)->Unit(benchmark::kMillisecond)->UseRealTime();

void HlmapHelp(benchmark::State& state) {
  for (auto _ : state) {
    if (!RunProcess({HL_HLMAP, "--help"})) {
      state.SkipWithError("hlmap --help failed");
      break;
    }
  }
}
BENCHMARK(HlmapHelp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

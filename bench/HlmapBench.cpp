// hlmap as a whole process, start to exit, beside the plainest processes that do the same
// work: `hlmap save-as` of a full 999 x 999 map beside `cp` of the file followed by `sync` of
// the copy (both durable), `hlmap --help` and `hlmap info` of a 200 x 200 map beside
// `true`, and `hlmap check` of a 999 x 999 map beside `info` of the same map. The picture commands
// are measured as processes too, with the peak memory of the process (maxrss, from the kernel) as a
// counter: `export-bmp` of the crowded 999 x 999 map beside `info` of the same map, which loads it
// and does nothing more, and `render` of the demo map. Files go to HL_BENCH_DIR, or the current
// folder, which should be on a disk: on tmpfs a sync costs nothing.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
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
  const std::string folder = std::filesystem::absolute(dir && *dir ? dir : ".").string();
  return folder + "/hl_bench_hlmap_" + std::to_string(::getpid()) + "_" + name;
}

// Runs `work` in a child process. A child starts with its parent's peak memory, so the maps
// of the benchmarks are made in children of their own: the processes measured then start
// from a small parent.
void InChild(const std::function<bool()>& work) {
  const pid_t pid = ::fork();
  if (pid < 0) std::abort();
  if (pid == 0) ::_exit(work() ? 0 : 1);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::abort();
}

// Runs a program with its output thrown away; true when it exits with 0. `usage` receives
// what the process used, its peak memory among it.
bool RunProcess(std::vector<std::string> args, rusage* usage = nullptr) {
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
  rusage used{};
  if (::wait4(pid, &status, 0, &used) != pid) return false;
  if (usage) *usage = used;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class ProcessFixture : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    map_ = BenchPath("map.map");
    out_ = BenchPath("out.map");
    // Every cell in use and varied, as in a worked-over map; no library 7, so that the save
    // has nothing to report.
    InChild([this] { return WriteVariedMap(); });
  }
  bool WriteVariedMap() const {
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
    return static_cast<bool>(hl::SaveMap(*doc, map_, hl::kBitCountData));
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

void HlmapHelp(benchmark::State& state) {
  for (auto _ : state) {
    if (!RunProcess({HL_HLMAP, "--help"})) {
      state.SkipWithError("hlmap --help failed");
      break;
    }
  }
}
BENCHMARK(HlmapHelp)->Unit(benchmark::kMillisecond)->UseRealTime();

// The demo world (libraries in both formats and the 200 x 200 demo.map) and a crowded
// 999 x 999 map of its art beside it: every even cell a big tile, every cell a small tile and
// an object. Made once for all benchmarks that need them.
class DemoWorld {
 public:
  DemoWorld() : folder_(BenchPath("world")) {
    if (!RunProcess({HL_HLMAP, "demo-world", folder_})) std::abort();
    InChild([this] { return WriteCrowdedMap(); });
  }
  bool WriteCrowdedMap() const {
    auto doc = std::make_unique<MapDocument>();
    doc->SetMapSize(kSide, kSide);
    std::mt19937 rng(7);
    for (int x = 0; x < kSide; ++x) {
      auto& column = doc->WritableColumn(x);
      for (int y = 0; y < kSide; ++y) {
        if (x % 2 == 0 && y % 2 == 0)
          column[y].BackTile = static_cast<std::uint16_t>(rng() % 4 * 50 + rng() % 5 + 1);
        column[y].MiddleTile = static_cast<std::uint16_t>(rng() % 3 * 60 + rng() % 8 + 1);
        column[y].ObjectImage = static_cast<std::uint16_t>(rng() % 60 + 1);
      }
    }
    return static_cast<bool>(hl::SaveMap(*doc, Crowded(), hl::kBitCountData));
  }
  ~DemoWorld() { RunProcess({"rm", "-rf", folder_}); }
  std::string Folder() const { return folder_; }
  std::string DemoMap() const { return folder_ + "/demo.map"; }
  std::string Crowded() const { return folder_ + "/crowded.map"; }
  std::string Out(const char* name) const { return folder_ + "/" + name; }

 private:
  std::string folder_;
};

DemoWorld& World() {
  static DemoWorld world;
  return world;
}

// Runs `command` as the benchmark's iterations, with the largest peak memory of the runs as
// the counter "maxrss_MB".
void Measure(benchmark::State& state, const std::vector<std::string>& command) {
  long peakKb = 0;
  for (auto _ : state) {
    rusage used{};
    if (!RunProcess(command, &used)) {
      state.SkipWithError("the command failed");
      break;
    }
    peakKb = std::max(peakKb, used.ru_maxrss);
  }
  state.counters["maxrss_MB"] = static_cast<double>(peakKb) / 1024.0;
}

// The same in the demo world's folder, where the libraries are found.
void RunInWorld(benchmark::State& state, std::vector<std::string> args) {
  std::vector<std::string> command = {"env", "-C", World().Folder()};
  command.insert(command.end(), args.begin(), args.end());
  Measure(state, command);
}

// Yardstick: a process that does nothing.
void True(benchmark::State& state) {
  Measure(state, {"true"});
}
BENCHMARK(True)->Unit(benchmark::kMillisecond)->UseRealTime();

// Yardstick of the commands run in the demo world's folder: a process that does nothing,
// started the same way.
void TrueInWorld(benchmark::State& state) {
  RunInWorld(state, {"true"});
}
BENCHMARK(TrueInWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

// The map commands load the map and nothing else: no Qt, no libraries. Its yardstick is True.
void HlmapInfo200(benchmark::State& state) {
  Measure(state, {HL_HLMAP, "info", World().DemoMap()});
}
BENCHMARK(HlmapInfo200)->Unit(benchmark::kMillisecond)->UseRealTime();

// The memory floor of the picture commands on the crowded map: loading it.
void HlmapInfo999(benchmark::State& state) {
  RunInWorld(state, {HL_HLMAP, "info", World().Crowded()});
}
BENCHMARK(HlmapInfo999)->Unit(benchmark::kMillisecond)->UseRealTime();

// check reads the map and the libraries' headers and applies every rule to every cell; its
// yardstick is HlmapInfo999, which loads the same map. On this map every block's odd cells
// are empty, so the block rule finds a quarter of a million cells: listed up to the limit,
// counted beyond it.
void HlmapCheck999(benchmark::State& state) {
  RunInWorld(state, {HL_HLMAP, "check", World().Crowded()});
}
BENCHMARK(HlmapCheck999)->Unit(benchmark::kMillisecond)->UseRealTime();

void HlmapExportBmp999(benchmark::State& state) {
  RunInWorld(state, {HL_HLMAP, "export-bmp", World().Crowded(), World().Out("overview.bmp")});
}
BENCHMARK(HlmapExportBmp999)->Unit(benchmark::kMillisecond)->UseRealTime();

void HlmapRenderDemo1920x1080(benchmark::State& state) {
  RunInWorld(state, {HL_HLMAP, "render", World().DemoMap(), World().Out("view.png"), "--size",
                     "1920x1080"});
}
BENCHMARK(HlmapRenderDemo1920x1080)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

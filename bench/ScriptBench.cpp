// What an edit script's work costs: each kind of line, repeated on a full-size map, reported as
// time per cell of work it is charged (EditScript::WorkDone). The slowest kind decides the
// default budget: kDefaultWorkBudget times its time per cell is how long the worst script the
// budget admits runs. The yardstick is copying a storage column, per cell, which is what the
// charge for a changed column stands for.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/EditScript.h"
#include "map/LibraryFormat.h"
#include "map/MapDocument.h"
#include "objects/ObjectSets.h"
#include "tools/SmallTilePainter.h"

namespace {

using hl::EditScript;
using hl::MapDocument;

constexpr int kSide = 999;

// Big tiles of group 0 everywhere (a fill floods the whole map), small-tile pieces of group 0
// at random (a small-tile press finds edges to repair all around), and objects of image 1 on
// every fourth cell, which the bulk commands move and delete.
std::unique_ptr<MapDocument> FullMap(unsigned seed, bool objects) {
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(kSide, kSide);
  std::mt19937 rng(seed);
  for (int x = 0; x < kSide; ++x) {
    auto& column = doc->WritableColumn(x);
    for (int y = 0; y < kSide; ++y) {
      // Full variants only (0 to 4), which a fill takes over.
      column[static_cast<std::size_t>(y)].BackTile =
          static_cast<std::uint16_t>(1 + (x % 2 == 0 && y % 2 == 0 ? rng() % 5 : 0));
      column[static_cast<std::size_t>(y)].MiddleTile = static_cast<std::uint16_t>(1 + rng() % 60);
      if (objects && (x + y) % 4 == 0) column[static_cast<std::size_t>(y)].ObjectImage = 2;
    }
  }
  doc->ClearUndo();
  return doc;
}

// A folder with set files for the set lines: "wide.set" holds one set of a record in every
// column, "a.set" and "b.set" many small sets (a few megabytes each).
const std::string& SetFolder() {
  // Removed with everything in it when the program ends.
  struct Folder {
    std::string Path;
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(Path, ignored);
    }
  };
  static const Folder folder{[] {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("hl_bench_sets_" + std::to_string(::getpid())))
            .string() +
        "/";
    std::filesystem::create_directories(dir);
    hl::ObjectSetList wide;
    hl::TObjectSet set;
    for (int x = 0; x < kSide; ++x) {
      hl::TSetCell c{};
      c.X = x;
      c.Y = x % 7;
      c.TileIndex = x % 3 == 0 ? 4 : -1;
      c.ObjIndex = 3;
      c.Light = 1;
      set.push_back(c);
    }
    wide.Items = {set};
    if (!wide.SaveSets(dir + "wide.set")) std::abort();
    for (const char* name : {"a.set", "b.set"}) {
      hl::ObjectSetList many;
      for (int i = 0; i < 20000; ++i) {
        hl::TObjectSet small;
        for (int k = 0; k < 8; ++k) {
          hl::TSetCell c{};
          c.X = k;
          c.Y = i % 5;
          c.TileIndex = k;
          c.ObjIndex = 65535 + i;
          small.push_back(c);
        }
        many.Items.push_back(small);
      }
      if (!many.SaveSets(dir + name)) std::abort();
    }
    return dir;
  }()};
  return folder.Path;
}

// Runs `script` on a fresh copy of the map, timing the script alone, and reports its time per
// cell of work.
void RunScript(benchmark::State& state, const std::string& script, bool objects = false) {
  std::uint64_t work = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto doc = FullMap(7, objects);
    EditScript run(*doc, hl::kBitCountData, 7, hl::SelectionLimits{});
    run.SetSetFolder(SetFolder());
    run.SetWorkBudget(UINT64_MAX);
    std::istringstream in(script);
    state.ResumeTiming();
    if (run.Run(in)) state.SkipWithError("the script stopped");
    work += run.WorkDone();
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  state.counters["time_per_cell"] = benchmark::Counter(
      static_cast<double>(work), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// `times` copies of `lines`.
std::string Repeat(const std::string& lines, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += lines;
  return text;
}

// Presses at cells spread over the map, one line each.
std::string Presses(const std::string& before, const std::string& keys, int count) {
  std::string text = before;
  std::mt19937 rng(3);
  for (int i = 0; i < count; ++i) {
    text += "press " + std::to_string(rng() % kSide) + " " + std::to_string(rng() % kSide) + keys +
            "\n";
  }
  return text;
}

void BM_ColumnCopyYardstick(benchmark::State& state) {
  std::vector<std::uint8_t> from(hl::CellStorage::kColumnBytes, 1);
  std::vector<std::uint8_t> to(hl::CellStorage::kColumnBytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.counters["time_per_cell"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * hl::kStorageSide,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ColumnCopyYardstick);

void BM_SettingLines(benchmark::State& state) {
  RunScript(state, Repeat("tool 0\nlayer 1\nbig-group 2\n", 20000));
}
BENCHMARK(BM_SettingLines)->Unit(benchmark::kMillisecond);

void BM_CommentLines(benchmark::State& state) {
  RunScript(state, Repeat("#" + std::string(4000, 'x') + "\n\n", 5000));
}
BENCHMARK(BM_CommentLines)->Unit(benchmark::kMillisecond);

void BM_BigBlockPresses(benchmark::State& state) {
  RunScript(state, Presses("layer 0\nbig-group 3\n", "", 3000));
}
BENCHMARK(BM_BigBlockPresses)->Unit(benchmark::kMillisecond);

void BM_SingleTilePresses(benchmark::State& state) {
  RunScript(state, Presses("layer 1\ntile 7\n", "", 20000));
}
BENCHMARK(BM_SingleTilePresses)->Unit(benchmark::kMillisecond);

void BM_SmallTilePresses(benchmark::State& state) {
  RunScript(state, Presses("tool 1\nlayer 0\nsmall-group 0\n", "", 500));
}
BENCHMARK(BM_SmallTilePresses)->Unit(benchmark::kMillisecond);

void BM_ObjectPresses(benchmark::State& state) {
  RunScript(state, Presses("tool 3\nobject 5\n", "", 20000));
}
BENCHMARK(BM_ObjectPresses)->Unit(benchmark::kMillisecond);

void BM_EraserPresses(benchmark::State& state) {
  RunScript(state, Presses("layer 5\n", " left shift", 5000), true);
}
BENCHMARK(BM_EraserPresses)->Unit(benchmark::kMillisecond);

void BM_MarkBrushPresses(benchmark::State& state) {
  RunScript(state, Presses("layer 4\n", " left shift", 20000));
}
BENCHMARK(BM_MarkBrushPresses)->Unit(benchmark::kMillisecond);

void BM_WideSetPresses(benchmark::State& state) {
  // Each press stamps a record into every column; the undo makes room for the next one.
  RunScript(state, "tool 4\nlayer 1\nset wide.set 0\n" + Repeat("press 0 500\nundo\n", 200));
}
BENCHMARK(BM_WideSetPresses)->Unit(benchmark::kMillisecond);

void BM_Fills(benchmark::State& state) {
  RunScript(state, "layer 2\n" + Repeat("big-group 1\npress 10 10\nbig-group 0\npress 10 10\n", 3));
}
BENCHMARK(BM_Fills)->Unit(benchmark::kMillisecond);

void BM_MarkFills(benchmark::State& state) {
  RunScript(state, "layer 3\n" + Repeat("press 500 500 left\nundo\n", 100));
}
BENCHMARK(BM_MarkFills)->Unit(benchmark::kMillisecond);

void BM_Scrolls(benchmark::State& state) {
  RunScript(state, Repeat("scroll 1 1\n", 20));
}
BENCHMARK(BM_Scrolls)->Unit(benchmark::kMillisecond);

void BM_ObjectMoves(benchmark::State& state) {
  RunScript(state, Repeat("move-object 1 1\nundo\ndelete-object 1\nundo\n", 5), true);
}
BENCHMARK(BM_ObjectMoves)->Unit(benchmark::kMillisecond);

void BM_Resizes(benchmark::State& state) {
  RunScript(state, Repeat("resize 1 1\nresize 999 999\nundo\nredo\n", 2000));
}
BENCHMARK(BM_Resizes)->Unit(benchmark::kMillisecond);

void BM_RegionLines(benchmark::State& state) {
  RunScript(state,
            Repeat("select 0 0 998 998\ncopy\npaste 1 1\ncut\nundo\nmove 2 2\ndelete\n"
                   "undo\nundo\n",
                   2),
            true);
}
BENCHMARK(BM_RegionLines)->Unit(benchmark::kMillisecond);

void BM_BigFillRects(benchmark::State& state) {
  RunScript(state, "layer 0\n" + Repeat("big-group 2\nfill-rect 0 0 998 998\nbig-group 0\n"
                                        "fill-rect 0 0 998 998\n",
                                        1));
}
BENCHMARK(BM_BigFillRects)->Unit(benchmark::kMillisecond);

void BM_SmallFillRects(benchmark::State& state) {
  RunScript(state, "tool 1\n" + Repeat("small-group 1\nfill-rect 100 100 299 299\nsmall-group 0\n"
                                       "fill-rect 100 100 299 299\n",
                                       1));
}
BENCHMARK(BM_SmallFillRects)->Unit(benchmark::kMillisecond);

void BM_SetFileReads(benchmark::State& state) {
  RunScript(state, Repeat("set a.set 0\nset b.set 0\n", 3));
}
BENCHMARK(BM_SetFileReads)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

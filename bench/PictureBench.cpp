// The pictures hlmap writes, in one process: the demo map drawn for a 1920 x 1080 window (as
// `hlmap render` draws it, images prepared on the way) beside writing that picture as PNG, and
// the one-eighth overview of a crowded 999 x 999 map written as BMP (`hlmap export-bmp`).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "images/BmpFile.h"
#include "images/PngFile.h"
#include "map/MapFile.h"
#include "view/MapRenderer.h"
#include "view/OverviewBmp.h"

extern char** environ;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

bool RunHlmap(const std::string& command, const std::string& argument) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string program = HL_HLMAP, c = command, a = argument;
  char* argv[] = {program.data(), c.data(), a.data(), nullptr};
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// The demo world as `hlmap demo-world` makes it, and a crowded 999 x 999 map of its art:
// every even cell a big tile, every cell a small tile and an object.
struct World {
  std::string Folder = "/tmp/hl_bench_picture_" + std::to_string(::getpid());
  hl::LibrarySet Libraries;
  std::unique_ptr<hl::MapDocument> Demo = std::make_unique<hl::MapDocument>();
  std::unique_ptr<hl::MapDocument> Crowded = std::make_unique<hl::MapDocument>();

  World() {
    if (!RunHlmap("demo-world", Folder) || !hl::LoadMap(*Demo, Folder + "/demo.map")) std::abort();
    Libraries.Open(hl::LibraryFormat::Data, Folder);
    std::mt19937 rng(7);
    Crowded->SetMapSize(999, 999);
    for (int x = 0; x < 999; ++x) {
      auto& column = Crowded->WritableColumn(x);
      for (int y = 0; y < 999; ++y) {
        hl::TMapCell& c = column[static_cast<std::size_t>(y)];
        if (x % 2 == 0 && y % 2 == 0)
          c.BackTile = static_cast<std::uint16_t>(rng() % 4 * 50 + rng() % 5 + 1);
        c.MiddleTile = static_cast<std::uint16_t>(rng() % 3 * 60 + rng() % 8 + 1);
        c.ObjectImage = static_cast<std::uint16_t>(rng() % 60 + 1);
      }
    }
  }
  ~World() { std::filesystem::remove_all(Folder); }
  std::string Out(const char* name) const { return Folder + "/" + name; }
};

World& TheWorld() {
  static World world;
  return world;
}

// What `hlmap render` draws: a fresh renderer, so the images are prepared within the time.
QImage DrawDemo() {
  World& world = TheWorld();
  hl::MapRenderer renderer(*world.Demo, world.Libraries);
  QImage picture(kWidth, kHeight, QImage::Format_RGB32);
  const hl::ViewFrame frame{0, 0, kWidth, kHeight};
  renderer.PaintMap(picture, QPoint(0, 0), QRect(0, 0, kWidth, kHeight), frame);
  return picture;
}

// Yardstick: what `hlmap render` does before it writes, the libraries opened and the picture
// drawn with every image decoded and prepared on the way.
void BM_OpenAndDrawDemo1920x1080(benchmark::State& state) {
  World& world = TheWorld();
  for (auto _ : state) {
    hl::LibrarySet libs;
    libs.Open(hl::LibraryFormat::Data, world.Folder);
    hl::MapRenderer renderer(*world.Demo, libs);
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    const hl::ViewFrame frame{0, 0, kWidth, kHeight};
    renderer.PaintMap(picture, QPoint(0, 0), QRect(0, 0, kWidth, kHeight), frame);
    benchmark::DoNotOptimize(picture.bits());
  }
}
BENCHMARK(BM_OpenAndDrawDemo1920x1080)->Unit(benchmark::kMillisecond);

// The drawing alone, the libraries' images already decoded.
void BM_DrawDemo1920x1080(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(DrawDemo().bits());
}
BENCHMARK(BM_DrawDemo1920x1080)->Unit(benchmark::kMillisecond);

// The picture encoded in memory at a level; -1 is Qt's own PNG writer at its default, which
// hlmap used before.
void BM_EncodePng1920x1080(benchmark::State& state) {
  const QImage picture = DrawDemo();
  const int level = static_cast<int>(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    if (level < 0) {
      QByteArray encoded;
      QBuffer buffer(&encoded);
      if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        state.SkipWithError("Qt did not encode");
      bytes = static_cast<std::size_t>(encoded.size());
    } else {
      const auto encoded = hl::EncodePng(picture, level);
      if (!encoded) state.SkipWithError("not encoded");
      bytes = encoded ? encoded->size() : 0;
    }
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodePng1920x1080)
    ->ArgName("level")
    ->Arg(-1)
    ->Arg(0)
    ->Arg(hl::kFastPngLevel)
    ->Arg(6)
    ->Arg(9)
    ->Unit(benchmark::kMillisecond);

// The whole write as hlmap does it: encoded at the default level into a temporary file that is
// synced and renamed over the old one.
void BM_WritePng1920x1080(benchmark::State& state) {
  const QImage picture = DrawDemo();
  const std::string path = TheWorld().Out("view.png");
  for (auto _ : state) {
    if (!hl::WritePng(path, picture)) state.SkipWithError("the PNG was not written");
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_WritePng1920x1080)->Unit(benchmark::kMillisecond);

// The whole overview drawn, then written.
void BM_ExportBmpWhole999(benchmark::State& state) {
  World& world = TheWorld();
  hl::MapRenderer renderer(*world.Crowded, world.Libraries);
  const std::string path = world.Out("whole.bmp");
  for (auto _ : state) {
    if (!hl::WriteBmp24(path, renderer.RenderOverview()))
      state.SkipWithError("the BMP was not written");
  }
}
BENCHMARK(BM_ExportBmpWhole999)->Unit(benchmark::kMillisecond);

// The overview drawn and written a band of rows at a time, as hlmap export-bmp does.
void BM_ExportBmpBanded999(benchmark::State& state) {
  World& world = TheWorld();
  hl::MapRenderer renderer(*world.Crowded, world.Libraries);
  const std::string path = world.Out("banded.bmp");
  for (auto _ : state) {
    if (!hl::WriteOverviewBmp(renderer, path, static_cast<int>(state.range(0))))
      state.SkipWithError("the BMP was not written");
  }
}
BENCHMARK(BM_ExportBmpBanded999)
    ->ArgName("rows")
    ->Arg(32)
    ->Arg(hl::kOverviewBandRows)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return hl::bench::RunWithGui(argc, argv);
}

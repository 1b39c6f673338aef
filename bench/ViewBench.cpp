// Full repaints of a 1920 x 1080 main window over a crowded 999 x 999 map of the demo art,
// beside filling the same image once and beside the plain one-call-per-image painter; and the
// overview dock's picture of that map, after one cell changed beside drawn whole.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>

#include "../tests/view/ReferencePainter.h"
#include "BenchSupport.h"
#include "images/DemoArt.h"
#include "view/MapRenderer.h"
#include "view/OverviewPicture.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct Scene {
  std::string Folder = "/tmp/hl_bench_view_" + std::to_string(::getpid());
  hl::LibrarySet Libraries;
  std::unique_ptr<hl::MapDocument> Doc = std::make_unique<hl::MapDocument>();

  // With attributes: a light on every ninth cell, a door on every 61st, marks on every 13th.
  explicit Scene(bool attributes = false) {
    if (attributes) Folder += "_marks";
    hl::bench::WriteDemoLibraries(Folder);
    const hl::DemoArt art = hl::DemoArt::Draw();
    Libraries.Open(hl::LibraryFormat::Data, Folder);

    // Every even cell a big tile, every cell a middle tile and an object 48 pixels wide.
    std::vector<int> narrow;
    for (int i = 0; i < static_cast<int>(art.Objects.size()); ++i) {
      if (art.Objects[static_cast<std::size_t>(i)].width() == 48) narrow.push_back(i);
    }
    std::mt19937 rng(7);
    Doc->SetMapSize(999, 999);
    for (int x = 0; x < 999; ++x) {
      auto& column = Doc->WritableColumn(x);
      for (int y = 0; y < 999; ++y) {
        hl::TMapCell& c = column[static_cast<std::size_t>(y)];
        c = hl::TMapCell{};
        if (x % 2 == 0 && y % 2 == 0)
          c.BackTile = static_cast<std::uint16_t>(rng() % 4 * 50 + rng() % 5 + 1);
        c.MiddleTile = static_cast<std::uint16_t>(rng() % 3 * 60 + rng() % 8 + 1);
        c.ObjectImage = static_cast<std::uint16_t>(narrow[rng() % narrow.size()] + 1);
        if (!attributes) continue;
        const auto r = static_cast<unsigned>(rng());
        if (r % 9 == 0) c.Light = static_cast<std::uint8_t>(r % 5 + 1);
        if (r % 61 == 0) c.Door = static_cast<std::uint8_t>(r % 256), c.DoorOffset = 1;
        if (r % 13 == 0) c.BackTile |= hl::kMarkBit;
      }
    }
  }
  ~Scene() { std::filesystem::remove_all(Folder); }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

Scene& TheMarkedScene() {
  static Scene scene(true);
  return scene;
}

hl::ViewFrame MiddleOf(int zoom) {
  const QSize surface = hl::SurfaceSize(999, 999, zoom);
  return {std::max(0, (surface.width() - kWidth) / 2),
          std::max(0, (surface.height() - kHeight) / 2), kWidth, kHeight};
}

void BM_FillYardstick(benchmark::State& state) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(0xFFFFFFFFu);
    benchmark::DoNotOptimize(image.bits());
  }
}
BENCHMARK(BM_FillYardstick)->Unit(benchmark::kMillisecond);

void BM_FullRepaint(benchmark::State& state) {
  Scene& scene = TheScene();
  const int zoom = static_cast<int>(state.range(0));
  hl::MapRenderer renderer(*scene.Doc, scene.Libraries);
  renderer.SetZoom(zoom);
  const hl::ViewFrame frame = MiddleOf(zoom);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  const QPoint origin(frame.ScrollX, frame.ScrollY);
  renderer.PaintMap(image, origin, QRect(origin, image.size()), frame);  // images prepared once
  for (auto _ : state) {
    renderer.PaintMap(image, origin, QRect(origin, image.size()), frame);
    benchmark::DoNotOptimize(image.bits());
  }
}
BENCHMARK(BM_FullRepaint)
    ->ArgName("zoom")
    ->Arg(5)
    ->Arg(10)
    ->Arg(40)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond);

// The same with "Show AttribMarks" on over a map with lights, doors and marks.
void BM_FullRepaintMarks(benchmark::State& state) {
  Scene& scene = TheMarkedScene();
  const int zoom = static_cast<int>(state.range(0));
  hl::MapRenderer renderer(*scene.Doc, scene.Libraries);
  renderer.SetZoom(zoom);
  hl::ViewOptions options;
  options.ShowAttribMarks = true;
  renderer.SetOptions(options);
  const hl::ViewFrame frame = MiddleOf(zoom);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  const QPoint origin(frame.ScrollX, frame.ScrollY);
  renderer.PaintMap(image, origin, QRect(origin, image.size()), frame);
  for (auto _ : state) {
    renderer.PaintMap(image, origin, QRect(origin, image.size()), frame);
    benchmark::DoNotOptimize(image.bits());
  }
}
BENCHMARK(BM_FullRepaintMarks)
    ->ArgName("zoom")
    ->Arg(10)
    ->Arg(40)
    ->Arg(60)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond);

void BM_NaiveRepaint(benchmark::State& state) {
  Scene& scene = TheScene();
  const int zoom = static_cast<int>(state.range(0));
  const hl::ViewFrame frame = MiddleOf(zoom);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    hl::test::ReferencePaintMap(image, QPoint(frame.ScrollX, frame.ScrollY), *scene.Doc,
                                scene.Libraries, zoom, {}, frame, QFont());
    benchmark::DoNotOptimize(image.bits());
  }
}
BENCHMARK(BM_NaiveRepaint)->ArgName("zoom")->Arg(40)->Unit(benchmark::kMillisecond);

void BM_Overview(benchmark::State& state) {
  Scene& scene = TheScene();
  hl::MapRenderer renderer(*scene.Doc, scene.Libraries);
  for (auto _ : state) benchmark::DoNotOptimize(renderer.RenderOverview().bits());
}
BENCHMARK(BM_Overview)->Unit(benchmark::kMillisecond);

// The overview dock's picture of the crowded map in a dock 300 pixels square: drawn whole, and
// brought up to date after one cell changed, which is what the dock does after a click of a
// tool. The whole picture is the yardstick: what redrawing it on every edit would cost.
void BM_OverviewDockWhole(benchmark::State& state) {
  Scene& scene = TheScene();
  hl::OverviewPicture picture(*scene.Doc, scene.Libraries);
  picture.FitTo({300, 300});
  picture.Update();
  for (auto _ : state) {
    picture.Invalidate();
    benchmark::DoNotOptimize(picture.Update());
  }
}
BENCHMARK(BM_OverviewDockWhole)->Unit(benchmark::kMillisecond);

void BM_OverviewDockAfterOneCell(benchmark::State& state) {
  Scene& scene = TheScene();
  hl::OverviewPicture picture(*scene.Doc, scene.Libraries);
  picture.FitTo({300, 300});
  picture.Update();
  const int before = scene.Doc->GetMiddleTile(500, 500);
  const int other = before == 0 ? 2 : 1;  // a value the cell does not hold
  int step = 0;
  for (auto _ : state) {
    scene.Doc->SetMiddleTile(500, 500, (++step & 1) ? other : before + 1);
    benchmark::DoNotOptimize(picture.Update());
  }
  scene.Doc->SetMiddleTile(500, 500, before + 1);
  if (picture.WholeDraws() != 1) state.SkipWithError("the update drew the whole picture");
}
BENCHMARK(BM_OverviewDockAfterOneCell)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return hl::bench::RunWithGui(argc, argv);
}

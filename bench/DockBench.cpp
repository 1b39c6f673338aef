// The World dock opening a 250 x 250-segment project (62,500 files): the first picture (every
// segment as a placeholder), every thumbnail shown at the second opening, and how long the
// window takes to paint and to answer events while the thumbnails are made; the yardstick is
// a repaint of the view with every picture it shows in memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "WorldSupport.h"
#include "segments/ui/WorldDock.h"

namespace {

constexpr int kSide = 250;

struct Project {
  std::string Folder;
  hl::LibrarySet Libraries;
  hl::WorldProject World;
  Project() {
    const char* dir = std::getenv("HL_BENCH_DIR");
    Folder =
        std::string(dir && *dir ? dir : "/tmp") + "/hl_bench_dock_" + std::to_string(::getpid());
    std::filesystem::create_directories(Folder);
    if (hl::bench::RunAndMeasure({HL_HLMAP, "demo-world", Folder}) < 0) std::abort();
    Libraries.Open(hl::LibraryFormat::Data, Folder);
    hl::bench::WriteBenchWorld(Folder, "H", kSide, kSide, Libraries);
    World = {Folder + "/", "H", kSide, kSide};
  }
  ~Project() {
    if (!std::getenv("HL_BENCH_KEEP")) std::filesystem::remove_all(Folder);
  }
  std::string Cache(const char* name) const { return Folder + "/" + name; }
};

Project& TheProject() {
  static Project project;
  return project;
}

void Show(hl::WorldView& view) {
  view.resize(520, 640);
  view.show();
  QApplication::processEvents();
}

void Open(hl::WorldView& view, const std::string& cache) {
  Project& p = TheProject();
  view.SetWorld(p.World, hl::LibraryFormat::Data, p.Folder, cache);
}

// Until every segment shown has its picture: the view repaints itself as pictures arrive.
bool WaitForEveryPicture(hl::WorldView& view, int seconds) {
  QElapsedTimer clock;
  clock.start();
  view.repaint();
  while (view.Waiting() > 0 && clock.elapsed() < seconds * 1000)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return view.Waiting() == 0;
}

void WaitIdle(hl::WorldView& view) {
  while (!view.Builder()->Idle()) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  QApplication::processEvents();
}

// Yardstick: the whole world painted again, every picture in memory.
void BM_RepaintEveryPictureShown(benchmark::State& state) {
  hl::WorldView view;
  Show(view);
  Open(view, TheProject().Cache("cache-warm"));
  WaitIdle(view);
  if (!WaitForEveryPicture(view, 600)) state.SkipWithError("pictures missing");
  for (auto _ : state) view.repaint();
}
BENCHMARK(BM_RepaintEveryPictureShown)->Unit(benchmark::kMillisecond)->UseRealTime();

// From opening the project to the first picture on screen, with nothing made yet.
void BM_FirstPicture(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    hl::WorldView view;
    Show(view);
    const std::string cache = TheProject().Cache(("cache-first-" + std::to_string(i++)).c_str());
    QElapsedTimer clock;
    clock.start();
    Open(view, cache);
    view.repaint();
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["waiting"] = static_cast<double>(view.Waiting());
  }
}
BENCHMARK(BM_FirstPicture)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// While every thumbnail of the world is made: the longest an event waited for the window's
// thread (a timer due every 10 ms), and the longest repaint a user's action would cause (one
// every 100 ms).
void BM_WhileThumbnailsAreMade(benchmark::State& state) {
  for (auto _ : state) {
    hl::WorldView view;
    Show(view);
    Open(view, TheProject().Cache("cache-responsive"));
    double longestPaint = 0, longestWait = 0;
    QElapsedTimer total, since;
    total.start();
    since.start();
    QTimer tick, paint;
    tick.setInterval(10);
    paint.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      longestWait = std::max(longestWait, static_cast<double>(since.nsecsElapsed()) / 1e6 - 10.0);
      since.restart();
    });
    QObject::connect(&paint, &QTimer::timeout, [&] {
      QElapsedTimer clock;
      clock.start();
      view.repaint();
      longestPaint = std::max(longestPaint, static_cast<double>(clock.nsecsElapsed()) / 1e6);
      since.restart();
    });
    tick.start();
    paint.start();
    while (!view.Builder()->Idle()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    state.SetIterationTime(static_cast<double>(total.nsecsElapsed()) / 1e9);
    state.counters["longest_paint_ms"] = longestPaint;
    state.counters["longest_wait_ms"] = longestWait;
    state.counters["per_segment_us"] =
        static_cast<double>(total.nsecsElapsed()) / 1e3 / double{kSide * kSide};
  }
}
BENCHMARK(BM_WhileThumbnailsAreMade)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The second opening: every picture of the world on screen, read back from the disk.
void BM_SecondOpeningEveryPicture(benchmark::State& state) {
  {
    hl::WorldView first;
    Show(first);
    Open(first, TheProject().Cache("cache-second"));
    WaitIdle(first);
  }
  for (auto _ : state) {
    hl::WorldView view;
    Show(view);
    QElapsedTimer clock;
    clock.start();
    Open(view, TheProject().Cache("cache-second"));
    if (!WaitForEveryPicture(view, 600)) state.SkipWithError("pictures missing");
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
  }
}
BENCHMARK(BM_SecondOpeningEveryPicture)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

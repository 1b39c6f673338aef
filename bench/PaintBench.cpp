// Painting costs: a fill over a whole empty map beside a memcpy of the storage, and one drag
// event of big-tile or small-tile painting with its partial redraws at zoom 1.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "tools/BigTilePainter.h"
#include "tools/SmallTilePainter.h"
#include "view/MapRenderer.h"

namespace {

void BM_MemcpyStorage(benchmark::State& state) {
  std::vector<std::uint8_t> from(hl::CellStorage::kTotalBytes, 1), to(hl::CellStorage::kTotalBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpyStorage)->Unit(benchmark::kMillisecond);

void BM_FillWholeMap(benchmark::State& state) {
  auto doc = std::make_unique<hl::MapDocument>();
  doc->SetMapSize(999, 999);
  hl::NoRedraw none;
  hl::ToolRandom random(1);
  int group = 0;
  for (auto _ : state) {
    state.PauseTiming();
    doc->ClearMap();
    state.ResumeTiming();
    hl::BigTilePainter(*doc, none, random, group).FillBigTiles(0, 0, -1);
  }
  state.counters["tiles"] = 500 * 500;
}
BENCHMARK(BM_FillWholeMap)->Unit(benchmark::kMillisecond);

// The map view's redraws, done at once on a 1920 x 1080 image of the surface at zoom 1.
class ViewRedraw : public hl::RedrawSink {
 public:
  ViewRedraw(hl::MapRenderer& r, QImage& image) : r_(r), image_(image) {}
  void RedrawCells(int x, int y, int w, int h) override {
    r_.RedrawArea(image_, {0, 0}, r_.ChangedArea(x, y, w, h), {0, 0, 1920, 1080});
  }
  void RedrawCellObject(int x, int y) override { RedrawCells(x, y, 0, 0); }

 private:
  hl::MapRenderer& r_;
  QImage& image_;
};

struct Scene {
  std::string Folder = "/tmp/hl_bench_paint_" + std::to_string(::getpid());
  hl::LibrarySet Libraries;
  std::unique_ptr<hl::MapDocument> Doc = std::make_unique<hl::MapDocument>();
  Scene() {
    hl::bench::WriteDemoLibraries(Folder);
    Libraries.Open(hl::LibraryFormat::Data, Folder);
    hl::NoRedraw none;
    hl::ToolRandom random(3);
    Doc->SetMapSize(999, 999);
    hl::BigTilePainter(*Doc, none, random, 0).FillBigTiles(0, 0, -1);
  }
  ~Scene() { std::filesystem::remove_all(Folder); }
};

template <bool Small>
void BM_DragEvent(benchmark::State& state) {
  static Scene scene;
  hl::MapRenderer renderer(*scene.Doc, scene.Libraries);
  renderer.SetZoom(100);
  QImage image(1920, 1080, QImage::Format_RGB32);
  renderer.PaintMap(image, {0, 0}, image.rect(), {0, 0, 1920, 1080});
  ViewRedraw redraw(renderer, image);
  hl::ToolRandom random(9);
  int i = 0;
  for (auto _ : state) {
    const int x = 8 + (i % 8) * 4, y = 8 + (i / 8 % 6) * 4;
    scene.Doc->PushUndo();
    if (Small) {
      hl::SmallTilePainter(*scene.Doc, redraw, random, 1).PaintSmallTile(x, y);
    } else {
      hl::BigTilePainter(*scene.Doc, redraw, random, 1 + i % 3).PaintBigBlock(x, y);
    }
    ++i;
  }
}
BENCHMARK_TEMPLATE(BM_DragEvent, false)->Name("BM_DragEvent/big")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_DragEvent, true)->Name("BM_DragEvent/small")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return hl::bench::RunWithGui(argc, argv);
}

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "images/DemoArt.h"
#include "images/ImagePacking.h"
#include "images/LibraryWriter.h"

namespace hl::bench {

void WriteDemoLibraries(const std::string& folder) {
  std::filesystem::create_directories(folder);
  const DemoArt art = DemoArt::Draw();
  for (const auto& [name, pictures] :
       {std::pair{"Tiles", &art.Tiles}, std::pair{"SmTiles", &art.SmTiles},
        std::pair{"Objects", &art.Objects}}) {
    std::vector<LibraryImage> images;
    for (const QImage& p : *pictures) images.push_back(ToLibraryImage(p, 16, {}));
    if (!WriteDataLibrary(folder + "/" + name + ".Data", 3, images)) std::abort();
  }
}

int RunWithGui(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace hl::bench

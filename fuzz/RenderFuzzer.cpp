// A map drawn from hostile libraries: the input is the tile, small-tile and object library at
// once (a Data library, any method), and every cell of a small map asks for its images, at the
// largest and the smallest zoom. Run under an RSS limit, this finds images that escape the
// budgets of the decoded and the scaled images.
#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <memory>

#include "FuzzFiles.h"
#include "images/ImageMemory.h"
#include "images/LibrarySet.h"
#include "map/MapDocument.h"
#include "view/MapRenderer.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv(hl::ImageBudget::kVariable, "256", 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication app(*argc, *argv);
  hl::ImageBudget::SetReporter([](const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& dir = hl::fuzz::ScratchDir();
  for (const char* name : {"/Tiles.Data", "/SmTiles.Data", "/Objects.Data"}) {
    hl::fuzz::WriteFile(dir + name, data, size);
  }
  hl::LibrarySet libs;
  libs.Open(hl::LibraryFormat::Data, dir);
  const int count = libs.ObjectSlotLibrary(0).ImageCount;

  auto doc = std::make_unique<hl::MapDocument>();
  doc->SetMapSize(16, 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int n = count > 0 ? (x + 16 * y) % count + 1 : 0;
      if (x % 2 == 0 && y % 2 == 0) doc->SetBackTile(x, y, n);
      doc->SetMiddleTile(x, y, n);
      doc->SetObject(x, y, n);
    }
  }
  hl::MapRenderer renderer(*doc, libs);
  QImage image(800, 593, QImage::Format_RGB32);
  for (int zoom : {200, 5}) {
    renderer.SetZoom(zoom);
    renderer.PaintMap(image, QPoint(0, 0), image.rect(), hl::ViewFrame{});
  }
  if (renderer.PreparedBytes() > hl::ImageBudget::Bytes() ||
      libs.Memory().Used() > hl::ImageBudget::Bytes()) {
    std::abort();
  }
  return 0;
}

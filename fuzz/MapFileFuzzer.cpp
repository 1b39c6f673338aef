// A map file, read as the editor opens it; the first byte chooses the plain reader or the
// old-layout conversion after it. A map that loads is saved and must load back the same.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "FuzzFiles.h"
#include "map/MapFile.h"
#include "map/OldFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool old = data[0] & 1;
  const std::string in = hl::fuzz::ScratchDir() + "/F.map";
  const std::string out = hl::fuzz::ScratchDir() + "/G.map";
  hl::fuzz::WriteFile(in, data + 1, size - 1);
  auto doc = std::make_unique<hl::MapDocument>();
  if (!hl::LoadMap(*doc, in)) return 0;
  if (old) hl::ConvertOldCells(*doc);
  if (!hl::SaveMap(*doc, out, hl::kBitCountData)) abort();
  auto again = std::make_unique<hl::MapDocument>();
  if (!hl::LoadMap(*again, out)) abort();
  if (again->MapWidth() != doc->MapWidth() || again->MapHeight() != doc->MapHeight()) abort();
  for (int x = 0; x < doc->MapWidth(); ++x) {
    for (int y = 0; y < doc->MapHeight(); ++y) {
      if (!(again->Cell(x, y) == doc->Cell(x, y))) abort();
    }
  }
  std::remove(out.c_str());
  return 0;
}

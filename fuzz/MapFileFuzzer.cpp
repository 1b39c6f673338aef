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
  // Column by column as whole memory blocks: maps of a million cells are common inputs here.
  const std::size_t columnBytes = sizeof(hl::TMapCell) * static_cast<std::size_t>(doc->MapHeight());
  for (int x = 0; x < doc->MapWidth(); ++x) {
    if (std::memcmp(again->Cells().ColumnAt(x).data(), doc->Cells().ColumnAt(x).data(),
                    columnBytes) != 0) {
      abort();
    }
  }
  std::remove(out.c_str());
  return 0;
}

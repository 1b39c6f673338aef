// A TMX map, read as import-tmx reads it. A map that imports is exported (without libraries:
// the carrier alone) and must import back to the same header and cells.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "FuzzFiles.h"
#include "view/TmxFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string in = hl::fuzz::ScratchDir() + "/F.tmx";
  const std::string out = hl::fuzz::ScratchDir() + "/G.tmx";
  hl::fuzz::WriteFile(in, data, size);
  auto doc = std::make_unique<hl::MapDocument>();
  std::array<std::uint8_t, hl::kMapHeaderSize> header{};
  std::string why;
  if (!hl::ImportTmx(in, hl::kBitCountData, *doc, header, &why)) {
    if (why.empty()) abort();
    return 0;
  }
  static hl::LibrarySet* none = [] {
    auto* libs = new hl::LibrarySet;
    libs->Open(hl::LibraryFormat::Data, hl::fuzz::ScratchDir() + "/no-libraries");
    return libs;
  }();
  if (!hl::ExportTmx(*doc, header, *none, out)) abort();
  auto again = std::make_unique<hl::MapDocument>();
  std::array<std::uint8_t, hl::kMapHeaderSize> againHeader{};
  if (!hl::ImportTmx(out, hl::kBitCountWil, *again, againHeader, &why)) abort();
  if (again->MapWidth() != doc->MapWidth() || again->MapHeight() != doc->MapHeight()) abort();
  // The header's width and height are the map's once written; the rest comes back as it was.
  if (std::memcmp(againHeader.data() + 4, header.data() + 4, header.size() - 4) != 0) abort();
  const std::size_t columnBytes = sizeof(hl::TMapCell) * static_cast<std::size_t>(doc->MapHeight());
  for (int x = 0; x < doc->MapWidth(); ++x) {
    if (std::memcmp(again->Cells().ColumnAt(x).data(), doc->Cells().ColumnAt(x).data(),
                    columnBytes) != 0) {
      abort();
    }
  }
  return 0;
}

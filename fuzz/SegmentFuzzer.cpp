// A segment project from one input: the first 24 bytes are the project file, the rest one
// segment file that every place of the window reads.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzFiles.h"
#include "segments/SegmentProject.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string dir = hl::fuzz::ScratchDir() + "/";
  const std::size_t project = size < hl::kProjectFileSize ? size : hl::kProjectFileSize;
  hl::fuzz::WriteFile(dir + "F.mp", data, project);
  hl::SegmentProject read;
  std::string error;
  const hl::ProjectRead result = hl::ReadProject(dir + "F.mp", read, &error);
  if (result == hl::ProjectRead::Read &&
      (read.Cols > hl::kMaxSegmentCount || read.Rows > hl::kMaxSegmentCount || read.Ident.size() > 15))
    abort();
  hl::SegmentWindow window;
  window.ProjectDir = dir;
  window.PickWindow("S", 3, 3, 0, 0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) hl::fuzz::WriteFile(window.SegmentPath(i, j), data + project, size - project);
  auto doc = std::make_unique<hl::MapDocument>();
  window.LoadSegments(*doc);
  // Nothing lands outside the window (checked as memory blocks, a million cells each time).
  static const std::vector<std::uint8_t> zeros(sizeof(hl::TMapCell) * hl::kStorageSide);
  for (int x = 0; x < hl::kStorageSide; ++x) {
    const auto* column = reinterpret_cast<const std::uint8_t*>(doc->Cells().ColumnAt(x).data());
    const std::size_t from = x < hl::kWindowCells ? sizeof(hl::TMapCell) * hl::kWindowCells : 0;
    if (std::memcmp(column + from, zeros.data(), zeros.size() - from) != 0) abort();
  }
  return 0;
}

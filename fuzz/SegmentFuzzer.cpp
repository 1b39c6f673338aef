// A segment project from one input: the first 24 bytes are the project file, the rest one
// segment file that every place of the window reads. The window is named after the project's
// own ident, as the segment window and hlmap name it, and is saved back: no file may be read
// or written outside the project's folder.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "FuzzFiles.h"
#include "segments/SegmentProject.h"
#include "util/PathParts.h"

namespace {

// The only entries the harness's folder may hold: the project folder itself.
void ExpectOnlyTheProjectFolder(const std::string& scratch) {
  for (const auto& e : std::filesystem::directory_iterator(scratch)) {
    if (e.path().filename() != "project") abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string scratch = hl::fuzz::ScratchDir();
  const std::string dir = scratch + "/project/";
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  std::filesystem::create_directory(dir);
  const std::size_t project = size < hl::kProjectFileSize ? size : hl::kProjectFileSize;
  hl::fuzz::WriteFile(dir + "F.mp", data, project);
  hl::SegmentProject read;
  std::string error;
  const hl::ProjectRead result = hl::ReadProject(dir + "F.mp", read, &error);
  if (result != hl::ProjectRead::Read) return 0;
  if (read.Cols > hl::kMaxSegmentCount || read.Rows > hl::kMaxSegmentCount ||
      !hl::IdentProblem(read.Ident).empty()) {
    abort();
  }
  hl::SegmentWindow window;
  window.ProjectDir = dir;
  window.PickWindow(read.Ident, std::min(read.Cols, 3), std::min(read.Rows, 3), 0, 0);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (window.SegmentNames[i][j].empty()) continue;
      const std::string path = window.SegmentPath(i, j);
      if (hl::ParentDirectory(path) + "/" != dir) abort();
      hl::fuzz::WriteFile(path, data + project, size - project);
    }
  }
  auto doc = std::make_unique<hl::MapDocument>();
  if (!window.LoadSegments(*doc)) abort();
  // Nothing lands outside the window (checked as memory blocks, a million cells each time).
  static const std::vector<std::uint8_t> zeros(sizeof(hl::TMapCell) * hl::kStorageSide);
  for (int x = 0; x < hl::kStorageSide; ++x) {
    const auto* column = reinterpret_cast<const std::uint8_t*>(doc->Cells().ColumnAt(x).data());
    const std::size_t from = x < hl::kWindowCells ? sizeof(hl::TMapCell) * hl::kWindowCells : 0;
    if (std::memcmp(column + from, zeros.data(), zeros.size() - from) != 0) abort();
  }
  if (!window.SaveSegments(*doc)) abort();
  ExpectOnlyTheProjectFolder(scratch);
  return 0;
}

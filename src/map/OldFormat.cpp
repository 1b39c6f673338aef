#include "map/OldFormat.h"

#include <algorithm>
#include <memory>
#include <new>

#include "map/MapFile.h"

namespace hl {

void ConvertOldCells(MapDocument& doc) {
  const int width = std::clamp(doc.MapWidth(), 0, kStorageSide);
  const int height = std::clamp(doc.MapHeight(), 0, kStorageSide);
  auto needsChange = [](const TMapCell& c) {
    return c.ObjectLib != 0 || (c.ObjectImage & kMarkBit);
  };
  for (int x = 0; x < width; ++x) {
    const CellStorage::Column& view = doc.Cells().ColumnAt(x);
    if (std::none_of(view.begin(), view.begin() + height, needsChange)) continue;
    CellStorage::Column& column = doc.WritableColumn(x);
    for (int y = 0; y < height; ++y) {
      column[y].ObjectLib = 0;
      column[y].ObjectImage &= kNumberBits;
    }
  }
}

bool ConvertOldFiles(std::span<const std::string> files, std::uint8_t mapBitCount,
                     const std::function<bool(const std::string&, BatchOutcome)>& progress) {
  bool allConverted = true;
  std::unique_ptr<MapDocument> scratch;
  for (const std::string& file : files) {
    BatchOutcome outcome = BatchOutcome::Skipped;
    try {
      if (!scratch) scratch = std::make_unique<MapDocument>();
      if (LoadMap(*scratch, file)) {
        ConvertOldCells(*scratch);
        outcome =
            SaveMap(*scratch, file, mapBitCount) ? BatchOutcome::Converted : BatchOutcome::Failed;
      }
    } catch (const std::bad_alloc&) {
      outcome = BatchOutcome::Failed;
    }
    if (outcome != BatchOutcome::Converted) allConverted = false;
    if (progress && !progress(file, outcome)) return false;
  }
  return allConverted;
}

}  // namespace hl

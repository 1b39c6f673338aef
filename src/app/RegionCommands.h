#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "map/MapDocument.h"
#include "tools/Region.h"

namespace hl {

// The selection and the clipboard of cells, and the Edit commands that use them. Each command
// that changes cells is one undo step; selecting and copying are none.
class RegionCommands {
 public:
  explicit RegionCommands(MapDocument& doc) : doc_(doc) {}

  // Selects from one corner to the other (grown and clipped as SelectionRect says); false when
  // nothing of it is on the map.
  bool Select(int x0, int y0, int x1, int y1, std::uint8_t layers);
  void SelectAll(std::uint8_t layers);
  void ClearSelection() { selection_.reset(); }
  const std::optional<CellRect>& Selection() const { return selection_; }
  std::uint8_t Layers() const { return layers_; }

  // Each needs a selection; false without one.
  bool Copy();
  bool Cut();
  bool Delete();
  // Moves the selected content and the selection by (dx, dy), snapped for the ground.
  bool Move(int dx, int dy);
  // Places the clipboard with its top-left at (x, y), snapped; false when it is empty.
  bool Paste(int x, int y, bool merge);

  const RegionCopy& Clipboard() const { return clipboard_; }
  const MapDocument& Document() const { return doc_; }
  void SetClipboard(RegionCopy copy) { clipboard_ = std::move(copy); }

 private:
  MapDocument& doc_;
  std::optional<CellRect> selection_;
  std::uint8_t layers_ = kRegionAllLayers;
  RegionCopy clipboard_;
};

}  // namespace hl

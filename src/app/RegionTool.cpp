#include "app/RegionTool.h"

#include <algorithm>
#include <tuple>

namespace hl {

bool RegionTool::StartPaste() {
  if (regions_.Clipboard().Empty()) return false;
  mode_ = Mode::Placing;
  ++previewVersion_;
  return true;
}

void RegionTool::PressSelect(int x, int y) {
  anchorX_ = atX_ = x;
  anchorY_ = atY_ = y;
  const auto& selection = regions_.Selection();
  hadSelection_ = selection.has_value();
  if (selection && selection->Contains(x, y)) {
    mode_ = Mode::Moving;
    moving_ = CopyRegion(regions_.Document(), *selection, regions_.Layers());
    ++previewVersion_;
  } else {
    mode_ = Mode::Banding;
  }
}

void RegionTool::PressFill(int x, int y) {
  anchorX_ = atX_ = x;
  anchorY_ = atY_ = y;
  mode_ = Mode::Filling;
}

void RegionTool::PressPlace(int x, int y, bool merge) {
  if (mode_ != Mode::Placing) return;
  regions_.Paste(x, y, merge);
  // The placed cells become the selection, so that they can be moved on at once.
  const auto [px, py] = PasteOrigin(regions_.Clipboard(), x, y);
  const RegionCopy& copy = regions_.Clipboard();
  regions_.Select(px, py, px + copy.Width - 1, py + copy.Height - 1, copy.Layers);
  mode_ = Mode::Idle;
}

void RegionTool::Drag(int x, int y) {
  atX_ = x;
  atY_ = y;
}

void RegionTool::Hover(int x, int y) {
  if (mode_ != Mode::Placing) return;
  atX_ = x;
  atY_ = y;
}

CellRect RegionTool::Band() const {
  return {std::min(anchorX_, atX_), std::min(anchorY_, atY_), std::max(anchorX_, atX_),
          std::max(anchorY_, atY_)};
}

RegionTool::Released RegionTool::Release(std::uint8_t layers) {
  const Mode mode = mode_;
  if (mode == Mode::Placing) return {};
  mode_ = Mode::Idle;
  moving_ = RegionCopy{};
  const bool clicked = anchorX_ == atX_ && anchorY_ == atY_;
  switch (mode) {
    case Mode::Banding:
      // A click beside a selection lets it go; a click with none selects the cell.
      if (clicked && hadSelection_) {
        regions_.ClearSelection();
      } else {
        const CellRect band = Band();
        regions_.Select(band.X0, band.Y0, band.X1, band.Y1, layers);
      }
      return {};
    case Mode::Moving: {
      const auto [dx, dy] = MoveOffset(regions_.Layers(), atX_ - anchorX_, atY_ - anchorY_);
      if (dx == 0 && dy == 0) return {};
      regions_.Move(atX_ - anchorX_, atY_ - anchorY_);
      return {std::nullopt, true};
    }
    case Mode::Filling:
      return {Band(), false};
    default:
      return {};
  }
}

bool RegionTool::Escape() {
  if (mode_ == Mode::Placing) {
    mode_ = Mode::Idle;
    return true;
  }
  if (mode_ != Mode::Idle) {
    // A drag in progress is given up; what it would have done is not done.
    mode_ = Mode::Idle;
    moving_ = RegionCopy{};
    return true;
  }
  if (!regions_.Selection()) return false;
  regions_.ClearSelection();
  return true;
}

std::optional<CellRect> RegionTool::Outline() const {
  switch (mode_) {
    case Mode::Banding:
    case Mode::Filling:
      return Band();
    case Mode::Moving: {
      if (!regions_.Selection()) return std::nullopt;
      const auto [dx, dy] = MoveOffset(regions_.Layers(), atX_ - anchorX_, atY_ - anchorY_);
      CellRect r = *regions_.Selection();
      return CellRect{r.X0 + dx, r.Y0 + dy, r.X1 + dx, r.Y1 + dy};
    }
    case Mode::Placing:
      return std::nullopt;
    case Mode::Idle:
      break;
  }
  return regions_.Selection();
}

const RegionCopy* RegionTool::PreviewCopy() const {
  if (mode_ == Mode::Placing) return &regions_.Clipboard();
  if (mode_ == Mode::Moving && !moving_.Empty()) return &moving_;
  return nullptr;
}

std::optional<CellRect> RegionTool::Preview() const {
  const RegionCopy* copy = PreviewCopy();
  if (!copy) return std::nullopt;
  int x = 0, y = 0;
  if (mode_ == Mode::Placing) {
    std::tie(x, y) = PasteOrigin(*copy, atX_, atY_);
  } else {
    const auto [dx, dy] = MoveOffset(regions_.Layers(), atX_ - anchorX_, atY_ - anchorY_);
    x = regions_.Selection()->X0 + dx;
    y = regions_.Selection()->Y0 + dy;
  }
  return CellRect{x, y, x + copy->Width - 1, y + copy->Height - 1};
}

}  // namespace hl

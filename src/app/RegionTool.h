#pragma once

#include <cstdint>
#include <optional>

#include "app/RegionCommands.h"
#include "tools/Region.h"

namespace hl {

// What presses on the map do while regions are at work, in cells: the select tool drags out a
// selection or, pressed inside one, moves it; a paste places the clipboard where the mouse is;
// a Shift-drag with a tile tool marks a rectangle to fill. The window sends presses here
// instead of to the tool dispatch while Wants says so, and draws Outline and Preview over the
// map.
class RegionTool {
 public:
  explicit RegionTool(RegionCommands& regions) : regions_(regions) {}

  // Starts placing the clipboard; false when it is empty.
  bool StartPaste();
  bool Placing() const { return mode_ == Mode::Placing; }
  bool Busy() const { return mode_ != Mode::Idle; }

  // A press with the select tool: inside the selection a move begins, elsewhere a new one.
  void PressSelect(int x, int y);
  // A Shift-press with a tool that can fill a rectangle.
  void PressFill(int x, int y);
  // A press while placing: the copy goes down with its top-left here (merging with Ctrl).
  void PressPlace(int x, int y, bool merge);
  void Drag(int x, int y);
  // Ends the press. A selection is made or cleared, a move done; the rectangle of a fill is
  // returned for the caller to fill.
  struct Released {
    std::optional<CellRect> Fill;
    bool Moved = false;  // cells changed
  };
  Released Release(std::uint8_t layers);
  // The mouse without a button: the preview follows it while placing.
  void Hover(int x, int y);
  // Drops the preview, or else the selection; false when there was neither.
  bool Escape();

  // The dashed rectangle: the selection (shifted by a move in progress), or the band of a
  // selection or fill being dragged.
  std::optional<CellRect> Outline() const;
  // The floating copy: what is placed or moved, and the cells it would cover.
  const RegionCopy* PreviewCopy() const;
  // Changes whenever the floating copy becomes another.
  int PreviewVersion() const { return previewVersion_; }
  std::optional<CellRect> Preview() const;

 private:
  enum class Mode { Idle, Banding, Moving, Placing, Filling };
  CellRect Band() const;

  RegionCommands& regions_;
  Mode mode_ = Mode::Idle;
  int anchorX_ = 0, anchorY_ = 0;  // where the press began
  int atX_ = 0, atY_ = 0;          // where the mouse is
  bool hadSelection_ = false;
  RegionCopy moving_;  // the selection's content while it is dragged
  int previewVersion_ = 0;
};

}  // namespace hl

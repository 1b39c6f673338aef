#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "map/MapDocument.h"
#include "objects/ObjectSets.h"
#include "tools/CellArea.h"
#include "tools/RedrawSink.h"
#include "tools/ToolRandom.h"
#include "tools/ToolState.h"
#include "util/Questions.h"

namespace hl {

// The keys and buttons held during a mouse event. Meta counts as Alt where the window manager
// takes Alt-clicks for itself.
struct MouseState {
  bool Shift = false;
  bool Alt = false;
  bool Ctrl = false;
  bool Left = false;
  bool Right = false;
  bool Middle = false;
};

enum class MouseButton { Left = 0, Right = 1, Middle = 2 };

// What a left press at the hovered cell works on, as the hover outline shows it: a rectangle
// of cells, or the object set being placed, whose footprint stands on the rectangle's corner.
struct ClickArea {
  CellArea Cells;
  bool SetFootprint = false;
  friend bool operator==(const ClickArea&, const ClickArea&) = default;
};

// What the dispatch shows besides the map: the hover outline and the coordinate label.
class DispatchFeedback {
 public:
  virtual ~DispatchFeedback() = default;
  virtual void EraseHover() = 0;
  virtual void ShowHover(const ClickArea& area) = 0;
  virtual void SetCoordinateLabel(const std::string& text) = 0;
  virtual void SetModified() = 0;
};

// Turns presses and drags on the map view into tool routines: which routine runs, whether an
// undo snapshot is taken first and whether the map is marked modified. The view's pixels come
// in whole (no 16-bit cut), and the zoom in exact hundredths.
class ToolDispatch {
 public:
  ToolDispatch(MapDocument& doc, ToolState& state, RedrawSink& redraw, ToolRandom& random,
               DispatchFeedback& feedback, Questions& questions)
      : doc_(doc),
        state_(state),
        redraw_(redraw),
        random_(random),
        feedback_(feedback),
        questions_(questions) {}

  // The cell under a surface pixel: Trunc(X / 48 / Zoom), Trunc(Y / 32 / Zoom).
  static int CellX(long long px, int zoom);
  static int CellY(long long py, int zoom);
  // The cell a press at this surface pixel works on, when it lies on a map of this size;
  // nothing off the map (Trunc would take a pixel just left of or above the map to cell 0).
  static std::optional<std::pair<int, int>> MapCellAt(long long px, long long py, int zoom,
                                                      int mapWidth, int mapHeight);

  // A press starts a stroke, the moves with a button held continue it, and the release ends
  // it: whatever the stroke changed is one undo step, named after the tool.
  void Press(long long px, long long py, int zoom, MouseButton button, const MouseState& held);
  void Move(long long px, long long py, int zoom, const MouseState& held);
  void Release();
  // The same on a cell, for scripts; a press with newStroke false joins the open stroke.
  void PressCell(int x, int y, MouseButton button, const MouseState& held, bool newStroke = true);
  void MoveCell(int x, int y, const MouseState& held);
  // The most that a press (or a drag that presses) with the current tool, layer and keys may
  // go through: the cells its routine may visit, and the columns it may change, each of which
  // the undo history copies before its first change. Edit scripts are charged by it.
  struct Reach {
    std::uint64_t Cells = 0;
    std::uint64_t Columns = 0;
  };
  Reach PressReach(const MouseState& held) const;
  // Fills the rectangle from (x0, y0) to (x1, y1) as one step: with Draw Big Tiles on the "Big"
  // layer as the brush pressed on every block of it, with Draw SM Tiles as the small-tile brush
  // on every cell. False (nothing done) with any other tool.
  bool FillRect(int x0, int y0, int x1, int y1);
  // What FillRect of that rectangle may go through with the current tool and layer.
  Reach FillRectReach(int x0, int y0, int x1, int y1) const;
  // The cells a left press at cell (x, y) with these keys works on, taken from the routines'
  // own areas, so that the outline shows what a click changes.
  ClickArea ClickAreaAt(int x, int y, const MouseState& held) const;
  // The undo step a stroke with the current tool and layer makes: the Tools menu's caption,
  // or what the layer buttons "1", "2" and "3" do.
  std::string ActionName() const;
  // Where the object-set tool finds the set to place, asked again on every press.
  void SetCurrentSetSource(std::function<const TObjectSet*()> source) {
    currentSet_ = std::move(source);
  }

 private:
  void PressAt(int x, int y, MouseButton button, const MouseState& held);
  // Draw Big Tiles by layer: a block with its edges, a single tile, or a flood fill.
  void PressBigTiles(int x, int y, const MouseState& held);
  void PaintSmallTile(int x, int y);
  // What a drag does with the tools that repeat while a key is held; the block tool moves
  // (x, y) to the block's corner for the label and outline too.
  void DragTool(int& x, int& y, const MouseState& held);
  // An edit of the map: one undo step before it, and the modified flag after.
  template <typename Routine>
  void Edit(Routine&& routine);

  MapDocument& doc_;
  ToolState& state_;
  RedrawSink& redraw_;
  ToolRandom& random_;
  DispatchFeedback& feedback_;
  Questions& questions_;
  std::function<const TObjectSet*()> currentSet_;
};

}  // namespace hl

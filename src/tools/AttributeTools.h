#pragma once

#include <optional>

#include "map/MapDocument.h"
#include "tools/CellArea.h"
#include "tools/RedrawSink.h"
#include "tools/ToolDispatch.h"
#include "tools/ToolState.h"
#include "util/Questions.h"

namespace hl {

// Lights, doors and the two attribute marks, edited cell by cell, by region or by brush.
class AttributeTools {
 public:
  static constexpr int kMaxFill = 65535;
  // How far the mark brush reaches from its cell with Shift held; without it, the cell alone.
  static constexpr int kMarkBrushShiftReach = 2;

  AttributeTools(MapDocument& doc, RedrawSink& redraw, Questions& questions)
      : doc_(doc), redraw_(redraw), questions_(questions) {}

  // The light dialog: the number its Ok took, 0 to 255 (the label's 0..4 is the usual range,
  // not a limit); nothing after Cancel. Other texts are refused while the dialog stays open.
  std::optional<int> AskLight(int value);
  // The door dialog: true and the new values only after "Ok", which takes an index of 0 to 127
  // (the core flag is the check box) and an offset of 0 to 255 and refuses anything else.
  bool AskDoor(int& door, int& offset);

  // Cancelling the light dialog leaves the cell as it was.
  void EditCellLight(int x, int y);
  // Only cells that already have light; others beep.
  void EditExistingLight(int x, int y);
  // The door cell is redrawn, so its label shows at once.
  void EditCellDoor(int x, int y);
  // Marks the 4-connected region around (x, y) whose deciding mark is clear: BackMark with Left
  // held, FrontMark with Right (both with both), at most 65,535 cells counted in FillCounter.
  // Returns the number of cells marked.
  int FillMarks(int x, int y, const MouseState& held, int& fillCounter);
  // The brush: (x, y), or the 5 x 5 square around it with Shift; button 0 sets BackMark, 1
  // FrontMark, Ctrl clears. Returns true when a cell changed; the changed cells are redrawn.
  bool PaintMarks(int x, int y, int button, const MouseState& held);
  // The cells PaintMarks at (x, y) goes through with these keys held.
  static CellArea MarkBrushArea(int x, int y, const MouseState& held);

 private:
  MapDocument& doc_;
  RedrawSink& redraw_;
  Questions& questions_;
};

// The undo step of the bulk object commands.
inline constexpr char kCellMoveAction[] = "Cell Move";

// The furthest "Cell Move" takes objects.
inline constexpr int kMaxObjectMoveRows = 9;

// Every object of image `image` (any library) moves `rows` rows down, columns and rows
// 0..kLastWideCell - kMaxObjectMoveRows,
// scanning each column from the bottom. The object's library and animation values move with
// it; marks stay where they are. False (and nothing done) for an image below 0 or rows outside
// 0..kMaxObjectMoveRows. `changed` tells whether any cell changed.
bool MoveObjectImage(MapDocument& doc, int image, int rows, bool* changed);
// Removes every object of image `image` (any library) in columns and rows 0..kLastWideCell; marks
// stay.
bool DeleteObjectImage(MapDocument& doc, int image, bool* changed);

}  // namespace hl

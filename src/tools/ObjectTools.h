#pragma once

#include "map/MapDocument.h"
#include "objects/ObjectSets.h"
#include "tools/CellArea.h"
#include "tools/RedrawSink.h"
#include "tools/ToolDispatch.h"
#include "util/Questions.h"

namespace hl {

// The object layer's routines: one object from the picker, a whole object set, and the eraser.
class ObjectTools {
 public:
  // How far the eraser reaches from its cell: with Shift, with Ctrl, and the cell alone.
  static constexpr int kEraseShiftReach = 10;
  static constexpr int kEraseCtrlReach = 1;
  ObjectTools(MapDocument& doc, RedrawSink& redraw, Questions& questions)
      : doc_(doc), redraw_(redraw), questions_(questions) {}

  // Whether a big-tile number fits BackTile below BackMark.
  static bool TileFitsCell(long long tileIndex);

  // ObjectIndex n into (x, y), FrontMark kept; -1 removes the object.
  void PutObject(int x, int y, int n);
  // Alt removes the object (the mark stays); Ctrl inverts FrontMark with the same write.
  void PlaceObject(int x, int y, int selection, const MouseState& held);
  // Stamps the set with its origin on (x, y); the tiles land relative to the even-aligned cell.
  // Refused with a beep when one of its objects would fall on a cell that has one. Fields a
  // cell cannot store are left out. Returns true when the set was placed.
  bool PlaceObjectSet(int x, int y, const TObjectSet* set);
  // The square eraser: radius 10 with Shift, 1 with Ctrl, else the one cell; Alt clears the
  // small tiles instead of the objects, Ctrl also clears BackMark. Returns true when a cell
  // changed; the changed square is redrawn.
  bool EraseCells(int x, int y, const MouseState& held);
  // The cells EraseCells at (x, y) goes through with these keys held.
  static CellArea EraseArea(int x, int y, const MouseState& held);

 private:
  MapDocument& doc_;
  RedrawSink& redraw_;
  Questions& questions_;
};

}  // namespace hl

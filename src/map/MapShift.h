#pragma once

#include "map/MapDocument.h"

namespace hl {

// Columns and rows the shift works on, 0 .. kLastWideCell. A shift by this many moves all of
// it out, as any larger one does.
inline constexpr int kShiftArea = kLastWideCell + 1;

// Moves the whole content of columns and rows 0 .. kLastWideCell by dx columns and dy rows (positive: right
// and down), columns first, then rows. What moves out is lost and what comes in is empty; the
// order of the copies lets it work in place, and the edges behave as the editor always has:
// a shift of 0 empties column and row kLastWideCell.
void ShiftMap(MapDocument& doc, int dx, int dy);

}  // namespace hl

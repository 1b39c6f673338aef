#pragma once

#include "map/MapDocument.h"

namespace hl {

// Moves the whole content of the 1000 x 1000 area by dx columns and dy rows (positive: right
// and down), columns first, then rows. What moves out is lost and what comes in is empty; the
// order of the copies lets it work in place, and the edges behave as the editor always has:
// a shift of 0 empties column 999 and row 999.
void ShiftMap(MapDocument& doc, int dx, int dy);

}  // namespace hl

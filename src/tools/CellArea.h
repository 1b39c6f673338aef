#pragma once

#include <algorithm>

namespace hl {

// A rectangle of cells with inclusive bounds: what a brush press works on. The tools loop over
// it and the hover outline draws it, so the outline always shows the cells a click takes.
struct CellArea {
  int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;

  // The square of `reach` cells each way around (x, y), cut to columns and rows 0 .. end - 1.
  static CellArea Square(int x, int y, int reach, int end) {
    return {std::max(x - reach, 0), std::max(y - reach, 0), std::min(x + reach, end - 1),
            std::min(y + reach, end - 1)};
  }
  int Width() const { return X1 - X0 + 1; }
  int Height() const { return Y1 - Y0 + 1; }
  bool Empty() const { return X1 < X0 || Y1 < Y0; }
  friend bool operator==(const CellArea&, const CellArea&) = default;
};

}  // namespace hl

#include "map/MapShift.h"

#include <algorithm>
#include <cstring>

namespace hl {

namespace {

constexpr int kRows = 1000;  // rows 0 .. 999 move; the last storage rows stay

void CopyColumn(MapDocument& doc, int to, int from) {
  if (to == from) return;
  auto& target = doc.WritableColumn(to);
  const auto& source = doc.Cells().ColumnAt(from);
  std::copy_n(source.begin(), kRows, target.begin());
}

void ClearColumn(MapDocument& doc, int x) {
  auto& target = doc.WritableColumn(x);
  std::fill_n(target.begin(), kRows, TMapCell{});
}

}  // namespace

void ShiftMap(MapDocument& doc, int dxIn, int dyIn) {
  // Wide enough that any typed shift, however large, cannot overflow.
  const long long dx = dxIn, dy = dyIn;
  if (dx >= 1 && dx <= 999) {
    for (int x = 1000; x >= 0; --x) {
      if (x - dx >= 0) {
        CopyColumn(doc, x, static_cast<int>(x - dx));
      } else {
        ClearColumn(doc, x);
      }
    }
  } else {
    for (int x = 0; x <= 999; ++x) {
      if (x - dx >= 0 && x - dx <= 998) {
        CopyColumn(doc, x, static_cast<int>(x - dx));
      } else {
        ClearColumn(doc, x);
      }
    }
  }
  for (int x = 0; x <= 999; ++x) {
    auto& column = doc.WritableColumn(x);
    if (dy >= 1 && dy <= 999) {
      for (int y = 1000; y >= 0; --y) column[y] = y - dy >= 0 ? column[y - dy] : TMapCell{};
    } else {
      for (int y = 0; y <= 999; ++y) {
        column[y] = y - dy >= 0 && y - dy <= 998 ? column[y - dy] : TMapCell{};
      }
    }
  }
}

}  // namespace hl

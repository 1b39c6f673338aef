#include "map/MapShift.h"

#include <algorithm>
#include <cstring>

namespace hl {

namespace {

// Rows 0 .. kLastWideCell move; the storage rows after them stay.
constexpr int kRows = kLastWideCell + 1;
// A shift to the right or down starts one column or row further, where the editor always has.
constexpr int kFirstFromEnd = kLastWideCell + 1;
constexpr int kLastSource = kAccessEnd - 1;

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
  if (dx >= 1 && dx <= kLastWideCell) {
    for (int x = kFirstFromEnd; x >= 0; --x) {
      if (x - dx >= 0) {
        CopyColumn(doc, x, static_cast<int>(x - dx));
      } else {
        ClearColumn(doc, x);
      }
    }
  } else {
    for (int x = 0; x <= kLastWideCell; ++x) {
      if (x - dx >= 0 && x - dx <= kLastSource) {
        CopyColumn(doc, x, static_cast<int>(x - dx));
      } else {
        ClearColumn(doc, x);
      }
    }
  }
  for (int x = 0; x <= kLastWideCell; ++x) {
    auto& column = doc.WritableColumn(x);
    if (dy >= 1 && dy <= kLastWideCell) {
      for (int y = kFirstFromEnd; y >= 0; --y) column[y] = y - dy >= 0 ? column[y - dy] : TMapCell{};
    } else {
      for (int y = 0; y <= kLastWideCell; ++y) {
        column[y] = y - dy >= 0 && y - dy <= kLastSource ? column[y - dy] : TMapCell{};
      }
    }
  }
}

}  // namespace hl

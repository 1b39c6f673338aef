#include "tools/ObjectTools.h"

#include <algorithm>

namespace hl {

bool ObjectTools::TileFitsCell(long long tileIndex) {
  return tileIndex >= -1 && tileIndex + 1 < kMarkBit;
}

void ObjectTools::PutObject(int x, int y, int n) {
  doc_.SetObject(x, y, n + 1);
  redraw_.RedrawCellObject(x, y);
}

void ObjectTools::PlaceObject(int x, int y, int selection, const MouseState& held) {
  if (held.Alt) {
    PutObject(x, y, -1);
    return;
  }
  if (selection < 0 || !ObjectIndex::FitsCell(selection)) return;
  if (held.Ctrl && MapDocument::InStorage(x, y) && x < kAccessEnd && y < kAccessEnd) {
    TMapCell cell = doc_.Cell(x, y);
    cell.ObjectImage ^= kMarkBit;
    doc_.SetCell(x, y, cell);
  }
  PutObject(x, y, selection);
}

bool ObjectTools::PlaceObjectSet(int x, int y, const TObjectSet* set) {
  if (!set) return false;
  for (const TSetCell& r : *set) {
    if (r.ObjIndex < 0) continue;
    const long long cx = static_cast<long long>(x) + r.X;
    const long long cy = static_cast<long long>(y) + r.Y;
    if (cx < 0 || cy < 0 || cx >= kAccessEnd || cy >= kAccessEnd)
      continue;
    if (doc_.Cell(static_cast<int>(cx), static_cast<int>(cy)).ObjectImage & kNumberBits) {
      questions_.Beep();
      return false;
    }
  }
  const long long bx = x - x % 2, by = y - y % 2;
  auto inStorage = [](long long cx, long long cy) {
    return cx >= 0 && cy >= 0 && cx < kStorageSide && cy < kStorageSide;
  };
  for (const TSetCell& r : *set) {
    const long long cx = static_cast<long long>(x) + r.X;
    const long long cy = static_cast<long long>(y) + r.Y;
    if (cx < 0 || cy < 0) continue;
    if (r.TileIndex >= 0 && TileFitsCell(r.TileIndex)) {
      const long long tx = bx + r.X, ty = by + r.Y;
      if (inStorage(tx, ty)) {
        TMapCell cell = doc_.Cell(static_cast<int>(tx), static_cast<int>(ty));
        cell.BackTile = static_cast<std::uint16_t>(r.TileIndex + 1);
        doc_.SetCell(static_cast<int>(tx), static_cast<int>(ty), cell);
        redraw_.RedrawCells(static_cast<int>(tx), static_cast<int>(ty), 1, 1);
      }
    }
    if (!inStorage(cx, cy)) continue;
    const int ix = static_cast<int>(cx), iy = static_cast<int>(cy);
    if (r.ObjIndex >= 0 && ObjectIndex::FitsCell(r.ObjIndex)) PutObject(ix, iy, r.ObjIndex);
    if (r.Marks != 0) doc_.SetMarks(ix, iy, r.Marks);
    TMapCell cell = doc_.Cell(ix, iy);
    cell.AniFrame = static_cast<std::uint8_t>(r.AniFrame | (r.Alpha != 0 ? 0x80 : 0));
    cell.AniTick = r.AniTick;
    if (r.Light != 0) cell.Light = r.Light;
    if (r.Door != 0) {
      cell.Door = r.Door;
      cell.DoorOffset = r.DoorOffset;
    }
    doc_.SetCell(ix, iy, cell);
  }
  return true;
}

CellArea ObjectTools::EraseArea(int x, int y, const MouseState& held) {
  const int r = held.Shift ? kEraseShiftReach : held.Ctrl ? kEraseCtrlReach : 0;
  return CellArea::Square(x, y, r, kAccessEnd);
}

bool ObjectTools::EraseCells(int x, int y, const MouseState& held) {
  const CellArea area = EraseArea(x, y, held);
  if (area.Empty()) return false;
  const int x0 = area.X0, x1 = area.X1, y0 = area.Y0, y1 = area.Y1;
  bool changed = false;
  for (int cx = x0; cx <= x1; ++cx) {
    for (int cy = y0; cy <= y1; ++cy) {
      const TMapCell& before = doc_.Cell(cx, cy);
      TMapCell cell = before;
      if (held.Alt) {
        cell.MiddleTile = 0;
      } else {
        cell.ObjectImage = 0;
      }
      if (held.Ctrl) cell.BackTile &= static_cast<std::uint16_t>(~kMarkBit);
      cell.AniFrame = 0;
      cell.AniTick = 0;
      cell.Door = 0;
      cell.DoorOffset = 0;
      if (cell == before) continue;
      doc_.SetCell(cx, cy, cell);
      changed = true;
    }
  }
  if (changed) redraw_.RedrawCells(x0, y0, x1 - x0, y1 - y0);
  return changed;
}

}  // namespace hl

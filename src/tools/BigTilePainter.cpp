#include "tools/BigTilePainter.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace hl {

namespace {

constexpr int kGroupSize = 50;
constexpr int kNeutralTile = 99;

bool In(int v, std::initializer_list<int> set) {
  for (int s : set) {
    if (v == s) return true;
  }
  return false;
}

}  // namespace

int BigTilePainter::Priority(int v) {
  if (v >= 0 && v <= 4) return 6;
  if (v >= 5 && v <= 8) return 1;
  if (v >= 9 && v <= 13) return 5;
  if (v >= 14 && v <= 23) return 4;
  if (v >= 24 && v <= 28) return 2;
  return 0;
}

int BigTilePainter::Variant(int x, int y) const {
  return Tile(x, y) % kGroupSize;
}

bool BigTilePainter::HoldsGroup(int x, int y) const {
  const int t = Tile(x, y);
  return t >= 0 && t / kGroupSize == group_;
}

void BigTilePainter::SetVariant(int x, int y, int variant) {
  doc_.SetBackTile(x, y, group_ * kGroupSize + variant + 1);
  redraw_.RedrawCells(x, y, 1, 1);
}

void BigTilePainter::PlaceVariant(int x, int y, int variant) {
  if (HoldsGroup(x, y) && Priority(Variant(x, y)) >= Priority(variant) &&
      Tile(x, y) != kNeutralTile) {
    return;
  }
  SetVariant(x, y, variant);
}

void BigTilePainter::PaintBigBlock(int x, int y) {
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      doc_.SetBackTileBlock(x + 2 * i, y + 2 * j, group_ * kGroupSize + random_.Next(5) + 1);
      redraw_.RedrawCells(x + 2 * i, y + 2 * j, 1, 1);
    }
  }
  PlaceVariant(x - 2, y, 10);
  PlaceVariant(x, y - 2, 10);
  PlaceVariant(x + 2, y - 2, 11);
  PlaceVariant(x + 4, y, 11);
  PlaceVariant(x - 2, y + 2, 12);
  PlaceVariant(x, y + 4, 12);
  PlaceVariant(x + 4, y + 2, 13);
  PlaceVariant(x + 2, y + 4, 13);
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 7; ++i) {
      for (int j = 0; j < 7; ++j) InteriorRule(x - 6 + 2 * i, y - 6 + 2 * j);
    }
    for (int i = 0; i < 7; ++i) {
      for (int j = 0; j < 7; ++j) TransitionRules(x - 6 + 2 * i, y - 6 + 2 * j);
    }
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) InnerCorners(x - 2 + 2 * i, y - 2 + 2 * j);
  }
}

void BigTilePainter::InteriorRule(int cx, int cy) {
  auto weight = [&](int nx, int ny) { return HoldsGroup(nx, ny) ? Priority(Variant(nx, ny)) : 0; };
  if (weight(cx - 2, cy) >= 4 && weight(cx, cy - 2) >= 4 && weight(cx + 2, cy) >= 4 &&
      weight(cx, cy + 2) >= 4) {
    SetVariant(cx, cy, random_.Next(5));
  }
}

void BigTilePainter::TransitionRules(int cx, int cy) {
  const int v = Variant(cx, cy);
  auto L = [&] { return Variant(cx - 2, cy); };
  auto U = [&] { return Variant(cx, cy - 2); };
  auto R = [&] { return Variant(cx + 2, cy); };
  auto D = [&] { return Variant(cx, cy + 2); };
  auto set = [&](int n) { SetVariant(cx, cy, n); };

  if (v == 10) {
    if (In(D(), {12, 22})) set(20);
    if (In(R(), {11, 16})) set(15);
  }
  if (v == 12) {
    if (In(U(), {10, 20})) set(22);
    if (In(R(), {13, 18})) set(17);
  }
  if (v == 11) {
    if (In(D(), {13, 23})) set(21);
    if (In(L(), {10, 15})) set(16);
  }
  if (v == 13) {
    if (In(U(), {11, 21})) set(23);
    if (In(L(), {12, 17})) set(18);
  }
  if (v == 15 && !In(R(), {16, 11})) set(10);
  if (v == 16 && !In(L(), {15, 10})) set(11);
  if (v == 17 && !In(R(), {18, 13})) set(12);
  if (v == 18 && !In(L(), {17, 12})) set(13);
  if (v == 20 && !In(D(), {22, 12})) set(10);
  if (v == 21 && !In(D(), {23, 13})) set(11);
  if (v == 22 && !In(U(), {20, 10})) set(12);
  if (v == 23 && !In(U(), {21, 11})) set(13);
  if (v >= 0 && v <= 4) {
    const int l = L(), u = U(), r = R(), d = D();
    if (In(l, {11, 16}) && In(u, {12, 22})) set(10);
    if (In(u, {13, 23}) && In(r, {10, 15})) set(11);
    if (In(r, {12, 17}) && In(d, {11, 21})) set(13);
    if (In(l, {13, 18}) && In(d, {10, 20})) set(12);
  }
  if (v == -1 || !HoldsGroup(cx, cy)) {
    const int l = L(), u = U(), r = R(), d = D();
    if (d == 20 && r == 15) set(5);
    if (l == 16 && d == 21) set(6);
    if (u == 23 && l == 18) set(8);
    if (r == 17 && u == 22) set(7);
  }
}

void BigTilePainter::InnerCorners(int cx, int cy) {
  switch (Variant(cx, cy)) {
    case 10:
      PlaceVariant(cx, cy - 2, 5);
      PlaceVariant(cx - 2, cy, 5);
      break;
    case 11:
      PlaceVariant(cx, cy - 2, 6);
      PlaceVariant(cx + 2, cy, 6);
      break;
    case 12:
      PlaceVariant(cx, cy + 2, 7);
      PlaceVariant(cx - 2, cy, 7);
      break;
    case 13:
      PlaceVariant(cx, cy + 2, 8);
      PlaceVariant(cx + 2, cy, 8);
      break;
    default:
      break;
  }
}

void BigTilePainter::PlaceSingleTile(int x, int y, bool alt, int currentTile) {
  x -= x % 2;
  y -= y % 2;
  if (alt) {
    doc_.SetBackTile(x, y, 0);
    redraw_.RedrawCells(x, y, 1, 1);
  } else if (currentTile >= 0) {
    doc_.SetBackTile(x, y, currentTile + 1);
    redraw_.RedrawCells(x, y, 1, 1);
  }
}

void BigTilePainter::FillBigTiles(int x, int y, int startGroup) {
  if (startGroup == group_) return;  // every cell would be filled again and again
  // Positions the cell accessors cannot read (999 and beyond) are never visited: they would
  // read as empty however often they were filled.
  const int width = std::min(doc_.MapWidth(), MapDocument::kAccessEnd);
  const int height = std::min(doc_.MapHeight(), MapDocument::kAccessEnd);
  std::vector<std::pair<int, int>> stack = {{x, y}};
  while (!stack.empty()) {
    const auto [cx, cy] = stack.back();
    stack.pop_back();
    if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
    const int t = Tile(cx, cy);
    const int g = t < 0 ? -1 : t / kGroupSize;
    const int v = t < 0 ? -1 : t % kGroupSize;
    if (g != startGroup || v > 4) continue;
    SetVariant(cx, cy, random_.Next(5));
    // Pushed in reverse so that they are visited left, up, right, down.
    stack.push_back({cx, cy + 2});
    stack.push_back({cx + 2, cy});
    stack.push_back({cx, cy - 2});
    stack.push_back({cx - 2, cy});
  }
}

}  // namespace hl

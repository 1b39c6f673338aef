#include "tools/BigTilePainter.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace hl {

namespace {


// The variants that painting places besides the full ones, named as in BigTileShape after
// where they show the group's ground.
constexpr int kOnlyBR = 5, kOnlyBL = 6, kOnlyTR = 7, kOnlyTL = 8;
constexpr int kNotTL = 10, kNotTR = 11, kNotBL = 12, kNotBR = 13;
constexpr int kBottomA = 15, kBottomB = 16, kTopA = 17, kTopB = 18;
constexpr int kRightA = 20, kLeftA = 21, kRightB = 22, kLeftB = 23;

bool In(int v, std::initializer_list<int> set) {
  for (int s : set) {
    if (v == s) return true;
  }
  return false;
}

}  // namespace

BigTileShape BigTilePainter::ShapeOf(int variant) {
  switch (variant) {
    case kOnlyBR:
      return BigTileShape::OnlyBottomRight;
    case kOnlyBL:
      return BigTileShape::OnlyBottomLeft;
    case kOnlyTR:
      return BigTileShape::OnlyTopRight;
    case kOnlyTL:
      return BigTileShape::OnlyTopLeft;
    case kNotTL:
      return BigTileShape::AllButTopLeft;
    case kNotTR:
      return BigTileShape::AllButTopRight;
    case kNotBL:
      return BigTileShape::AllButBottomLeft;
    case kNotBR:
      return BigTileShape::AllButBottomRight;
    case kBottomA:
    case kBottomB:
      return BigTileShape::BottomHalf;
    case kTopA:
    case kTopB:
      return BigTileShape::TopHalf;
    case kRightA:
    case kRightB:
      return BigTileShape::RightHalf;
    case kLeftA:
    case kLeftB:
      return BigTileShape::LeftHalf;
    default:
      return BigTileShape::Full;
  }
}

int BigTilePainter::Priority(int v) {
  if (v >= 0 && v < kFullVariants) return 6;
  if (v >= kOnlyBR && v <= kOnlyTL) return 1;
  if (v >= 9 && v <= 13) return 5;
  if (v >= 14 && v <= 23) return 4;
  if (v >= 24 && v <= 28) return 2;
  return 0;
}

int BigTilePainter::Variant(int x, int y) const {
  return Tile(x, y) % kBigTileGroupSize;
}

bool BigTilePainter::HoldsGroup(int x, int y) const {
  const int t = Tile(x, y);
  return t >= 0 && t / kBigTileGroupSize == group_;
}

void BigTilePainter::SetVariant(int x, int y, int variant) {
  doc_.SetBackTile(x, y, group_ * kBigTileGroupSize + variant + 1);
  redraw_.RedrawCells(x, y, 1, 1);
}

void BigTilePainter::PlaceVariant(int x, int y, int variant) {
  if (HoldsGroup(x, y) && Priority(Variant(x, y)) >= Priority(variant) &&
      Tile(x, y) != kNeutralBigTile) {
    return;
  }
  SetVariant(x, y, variant);
}

void BigTilePainter::PaintBigBlock(int x, int y) {
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      doc_.SetBackTileBlock(x + 2 * i, y + 2 * j, group_ * kBigTileGroupSize + random_.Next(kFullVariants) + 1);
      redraw_.RedrawCells(x + 2 * i, y + 2 * j, 1, 1);
    }
  }
  PlaceVariant(x - 2, y, kNotTL);
  PlaceVariant(x, y - 2, kNotTL);
  PlaceVariant(x + 2, y - 2, kNotTR);
  PlaceVariant(x + 4, y, kNotTR);
  PlaceVariant(x - 2, y + 2, kNotBL);
  PlaceVariant(x, y + 4, kNotBL);
  PlaceVariant(x + 4, y + 2, kNotBR);
  PlaceVariant(x + 2, y + 4, kNotBR);
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
    SetVariant(cx, cy, random_.Next(kFullVariants));
  }
}

void BigTilePainter::TransitionRules(int cx, int cy) {
  const int v = Variant(cx, cy);
  auto L = [&] { return Variant(cx - 2, cy); };
  auto U = [&] { return Variant(cx, cy - 2); };
  auto R = [&] { return Variant(cx + 2, cy); };
  auto D = [&] { return Variant(cx, cy + 2); };
  auto set = [&](int n) { SetVariant(cx, cy, n); };

  if (v == kNotTL) {
    if (In(D(), {kNotBL, kRightB})) set(kRightA);
    if (In(R(), {kNotTR, kBottomB})) set(kBottomA);
  }
  if (v == kNotBL) {
    if (In(U(), {kNotTL, kRightA})) set(kRightB);
    if (In(R(), {kNotBR, kTopB})) set(kTopA);
  }
  if (v == kNotTR) {
    if (In(D(), {kNotBR, kLeftB})) set(kLeftA);
    if (In(L(), {kNotTL, kBottomA})) set(kBottomB);
  }
  if (v == kNotBR) {
    if (In(U(), {kNotTR, kLeftA})) set(kLeftB);
    if (In(L(), {kNotBL, kTopA})) set(kTopB);
  }
  if (v == kBottomA && !In(R(), {kBottomB, kNotTR})) set(kNotTL);
  if (v == kBottomB && !In(L(), {kBottomA, kNotTL})) set(kNotTR);
  if (v == kTopA && !In(R(), {kTopB, kNotBR})) set(kNotBL);
  if (v == kTopB && !In(L(), {kTopA, kNotBL})) set(kNotBR);
  if (v == kRightA && !In(D(), {kRightB, kNotBL})) set(kNotTL);
  if (v == kLeftA && !In(D(), {kLeftB, kNotBR})) set(kNotTR);
  if (v == kRightB && !In(U(), {kRightA, kNotTL})) set(kNotBL);
  if (v == kLeftB && !In(U(), {kLeftA, kNotTR})) set(kNotBR);
  if (v >= 0 && v < kFullVariants) {
    const int l = L(), u = U(), r = R(), d = D();
    if (In(l, {kNotTR, kBottomB}) && In(u, {kNotBL, kRightB})) set(kNotTL);
    if (In(u, {kNotBR, kLeftB}) && In(r, {kNotTL, kBottomA})) set(kNotTR);
    if (In(r, {kNotBL, kTopA}) && In(d, {kNotTR, kLeftA})) set(kNotBR);
    if (In(l, {kNotBR, kTopB}) && In(d, {kNotTL, kRightA})) set(kNotBL);
  }
  if (v == -1 || !HoldsGroup(cx, cy)) {
    const int l = L(), u = U(), r = R(), d = D();
    if (d == kRightA && r == kBottomA) set(kOnlyBR);
    if (l == kBottomB && d == kLeftA) set(kOnlyBL);
    if (u == kLeftB && l == kTopB) set(kOnlyTL);
    if (r == kTopA && u == kRightB) set(kOnlyTR);
  }
}

void BigTilePainter::InnerCorners(int cx, int cy) {
  switch (Variant(cx, cy)) {
    case kNotTL:
      PlaceVariant(cx, cy - 2, kOnlyBR);
      PlaceVariant(cx - 2, cy, kOnlyBR);
      break;
    case kNotTR:
      PlaceVariant(cx, cy - 2, kOnlyBL);
      PlaceVariant(cx + 2, cy, kOnlyBL);
      break;
    case kNotBL:
      PlaceVariant(cx, cy + 2, kOnlyTR);
      PlaceVariant(cx - 2, cy, kOnlyTR);
      break;
    case kNotBR:
      PlaceVariant(cx, cy + 2, kOnlyTL);
      PlaceVariant(cx + 2, cy, kOnlyTL);
      break;
    default:
      break;
  }
}

CellArea BigTilePainter::BlockAt(int x, int y) {
  x -= x % kBigBlockStep;
  y -= y % kBigBlockStep;
  return {x, y, x + kBigBlockStep - 1, y + kBigBlockStep - 1};
}

CellArea BigTilePainter::TileAt(int x, int y) {
  x -= x % kBigTileStep;
  y -= y % kBigTileStep;
  return {x, y, x + kBigTileStep - 1, y + kBigTileStep - 1};
}

void BigTilePainter::PlaceSingleTile(int x, int y, bool alt, int currentTile) {
  const CellArea tile = TileAt(x, y);
  x = tile.X0;
  y = tile.Y0;
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
  // Positions the cell accessors cannot read (kAccessEnd and beyond) are never visited: they would
  // read as empty however often they were filled.
  const int width = std::min(doc_.MapWidth(), kAccessEnd);
  const int height = std::min(doc_.MapHeight(), kAccessEnd);
  std::vector<std::pair<int, int>> stack = {{x, y}};
  while (!stack.empty()) {
    const auto [cx, cy] = stack.back();
    stack.pop_back();
    if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
    const int t = Tile(cx, cy);
    const int g = t < 0 ? -1 : t / kBigTileGroupSize;
    const int v = t < 0 ? -1 : t % kBigTileGroupSize;
    if (g != startGroup || v >= kFullVariants) continue;
    SetVariant(cx, cy, random_.Next(kFullVariants));
    // Pushed in reverse so that they are visited left, up, right, down.
    stack.push_back({cx, cy + 2});
    stack.push_back({cx + 2, cy});
    stack.push_back({cx, cy - 2});
    stack.push_back({cx - 2, cy});
  }
}

}  // namespace hl

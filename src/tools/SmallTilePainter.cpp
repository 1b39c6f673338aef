#include "tools/SmallTilePainter.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace hl {

namespace {

bool In(int v, std::initializer_list<int> set) {
  return std::find(set.begin(), set.end(), v) != set.end();
}

}  // namespace

SmallPieceShape SmallTilePainter::ShapeOf(int piece) {
  // Pieces 1-8 in the order of the ring Surround lays around a full cell, from north clockwise.
  static constexpr SmallPieceShape kShapes[] = {
      SmallPieceShape::Full,          SmallPieceShape::Bottom,
      SmallPieceShape::BottomLeft,    SmallPieceShape::Left,
      SmallPieceShape::TopLeft,       SmallPieceShape::Top,
      SmallPieceShape::TopRight,      SmallPieceShape::Right,
      SmallPieceShape::BottomRight,   SmallPieceShape::AllButBottomLeft,
      SmallPieceShape::AllButTopLeft, SmallPieceShape::AllButTopRight,
      SmallPieceShape::AllButBottomRight};
  return piece >= 0 && piece < static_cast<int>(std::size(kShapes)) ? kShapes[piece]
                                                                     : SmallPieceShape::Full;
}

int SmallTilePainter::Piece(int x, int y) const {
  const int v = doc_.GetMiddleTile(x, y);
  if (v < group_ * kSmallTileGroupSize || v >= (group_ + 1) * kSmallTileGroupSize) return -1;
  return PieceOfImage(v - group_ * kSmallTileGroupSize);
}

void SmallTilePainter::SetSmallPiece(int x, int y, int piece) {
  ++counter_;
  const int base = group_ * kSmallTileGroupSize;
  const int value = piece == 0 ? base + random_.Next(kFullImages) + 1
                               : base + kImagesPerPiece * (piece - 1) + kFullImages +
                                     random_.Next(kImagesPerPiece) + 1;
  doc_.SetMiddleTile(x, y, value);
  const int i = x - pressX_ + kPressReach / 2, j = y - pressY_ + kPressReach / 2;
  if (i < 0 || j < 0 || i >= kPressReach || j >= kPressReach) {
    // Beyond the press's reach (never, by the rules); the list itself decides.
    if (std::find(changed_.begin(), changed_.end(), std::pair{x, y}) == changed_.end()) {
      changed_.emplace_back(x, y);
    }
    return;
  }
  const auto at = static_cast<std::size_t>(i) * kPressReach + static_cast<std::size_t>(j);
  if (!noted_[at]) {
    noted_[at] = true;
    changed_.emplace_back(x, y);
  }
}

void SmallTilePainter::Surround(int x, int y) {
  const int around[8][3] = {{0, -1, 1}, {1, -1, 2}, {1, 0, 3},  {1, 1, 4},
                            {0, 1, 5},  {-1, 1, 6}, {-1, 0, 7}, {-1, -1, 8}};
  for (const auto& [dx, dy, piece] : around) {
    if (Piece(x + dx, y + dy) == -1) SetSmallPiece(x + dx, y + dy, piece);
  }
}

void SmallTilePainter::PaintSmallTile(int x, int y) {
  changed_.clear();
  pressX_ = x;
  pressY_ = y;
  noted_.assign(std::size_t{kPressReach} * kPressReach, false);
  SetSmallPiece(x, y, 0);
  Surround(x, y);
  for (int radius = 1, pass = 0; pass < kMaxPasses; ++pass, ++radius) {
    counter_ = 0;
    Relax(x, y, radius);
    if (counter_ == 0) break;
  }
  for (const auto& [cx, cy] : changed_) redraw_.RedrawCells(cx, cy, 0, 0);
}

void SmallTilePainter::Relax(int x, int y, int radius) {
  for (int cx = x - radius; cx <= x + radius; ++cx) {
    for (int cy = y - radius; cy <= y + radius; ++cy) {
      if (cx >= 1 && cy >= 1 && Piece(cx, cy) >= 1) RelaxCell(cx, cy);
    }
  }
}

void SmallTilePainter::RelaxCell(int cx, int cy) {
  // Every piece is read when its test runs, so a rule sees what the rules before it wrote.
  auto P = [&] { return Piece(cx, cy); };
  auto N = [&] { return Piece(cx, cy - 1); };
  auto NE = [&] { return Piece(cx + 1, cy - 1); };
  auto E = [&] { return Piece(cx + 1, cy); };
  auto SE = [&] { return Piece(cx + 1, cy + 1); };
  auto B = [&] { return Piece(cx, cy + 1); };
  auto SW = [&] { return Piece(cx - 1, cy + 1); };
  auto W = [&] { return Piece(cx - 1, cy); };
  auto NW = [&] { return Piece(cx - 1, cy - 1); };
  auto set = [&](int piece) { SetSmallPiece(cx, cy, piece); };

  if (P() != 11 && In(N(), {2, 3, 12}) && In(E(), {2, 1, 10})) set(11);
  if (P() != 12 && In(E(), {4, 5, 9}) && In(B(), {4, 3, 11})) set(12);
  if (P() != 9 && In(W(), {6, 5, 12}) && In(B(), {6, 7, 10})) set(9);
  if (P() != 10 && In(N(), {8, 7, 9}) && In(W(), {8, 1, 11})) set(10);
  if (P() != 1 && In(W(), {1, 8, 11}) && In(E(), {2, 1, 10}) && N() == -1) set(1);
  if (P() != 3 && In(N(), {3, 2, 12}) && In(B(), {3, 4, 11}) && E() == -1) set(3);
  if (P() != 5 && In(W(), {6, 5, 12}) && In(E(), {5, 4, 9}) && B() == -1) set(5);
  if (P() != 7 && In(N(), {7, 8, 9}) && In(B(), {7, 6, 10}) && W() == -1) set(7);
  if (P() == 2 && B() == 0 && SE() == 0 && In(E(), {8, 7})) set(1);
  if (P() == 4 && W() == 0 && SW() == 0 && In(B(), {2, 1})) set(3);
  if (P() == 4 && N() == 0 && NE() == 0 && In(E(), {6, 7})) set(5);
  if (P() == 6 && E() == 0 && SE() == 0 && In(B(), {8, 7})) set(7);
  if ((W() == 5 && N() == 3 && E() == 1 && B() == 7) ||
      (W() == 1 && B() == 3 && N() == 7 && E() == 5)) {
    set(0);
    Surround(cx, cy);
  }
  // Rules 14 to 17 look at the piece once; their second half runs even after the first.
  switch (P()) {
    case 2:
      if (E() >= 0 && B() == 0 && SE() >= 0) set(1);
      if (N() >= 0 && W() == 0 && NW() >= 0) set(3);
      break;
    case 4:
      if (E() >= 0 && N() == 0 && NE() >= 0) set(5);
      if (B() >= 0 && W() == 0 && SW() >= 0) set(3);
      break;
    case 6:
      if (B() >= 0 && E() == 0 && SE() >= 0) set(7);
      if (W() >= 0 && NW() == 0 && N() >= 0) set(5);
      break;
    case 8:
      if (N() >= 0 && E() == 0 && NE() >= 0) set(7);
      if (W() >= 0 && B() == 0 && SW() >= 0) set(1);
      break;
    default:
      break;
  }
  if (N() >= 0 && NE() >= 0 && E() >= 0 && SE() >= 0 && B() >= 0 && SW() >= 0 && W() >= 0 &&
      NW() >= 0) {
    set(0);
  }
}

}  // namespace hl

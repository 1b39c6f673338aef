#pragma once

#include "objects/ObjectSets.h"

namespace hl::test {

// A set record with a tile and an object (-1 for none) at offset (x, y), all else zero.
inline TSetCell Record(int x, int y, int tile, int object) {
  TSetCell c;
  c.X = x;
  c.Y = y;
  c.TileIndex = tile;
  c.ObjIndex = object;
  return c;
}

}  // namespace hl::test

#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "map/MapUnits.h"

namespace hl {

// One map cell, byte for byte as it is stored in map files (little-endian, no padding).
struct TMapCell {
  std::uint16_t BackTile;     // bit 15: BackMark; bits 0-14: big-tile number + 1
  std::uint16_t MiddleTile;   // small-tile number + 1
  std::uint16_t ObjectImage;  // bit 15: FrontMark; bits 0-14: image number + 1 in ObjectLib
  std::uint8_t Door;          // bits 0-6: door index; bit 7: door flag
  std::uint8_t DoorOffset;
  std::uint8_t AniFrame;  // bits 0-6: animation frames; bit 7: alpha flag
  std::uint8_t AniTick;
  std::uint8_t ObjectLib;  // object library 0-19
  std::uint8_t Light;

  friend bool operator==(const TMapCell&, const TMapCell&) = default;
};

static_assert(sizeof(TMapCell) == 12);
static_assert(std::is_trivially_copyable_v<TMapCell>);
static_assert(std::is_standard_layout_v<TMapCell>);
static_assert(offsetof(TMapCell, BackTile) == 0);
static_assert(offsetof(TMapCell, MiddleTile) == 2);
static_assert(offsetof(TMapCell, ObjectImage) == 4);
static_assert(offsetof(TMapCell, Door) == 6);
static_assert(offsetof(TMapCell, DoorOffset) == 7);
static_assert(offsetof(TMapCell, AniFrame) == 8);
static_assert(offsetof(TMapCell, AniTick) == 9);
static_assert(offsetof(TMapCell, ObjectLib) == 10);
static_assert(offsetof(TMapCell, Light) == 11);

}  // namespace hl

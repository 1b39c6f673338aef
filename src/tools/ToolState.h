#pragma once

namespace hl {

// What the pickers and menus choose for the mouse tools. The setters refuse values that the
// cell fields cannot store, so a bad selection can never corrupt marks or loop a fill.
struct ToolState {
  // Tile numbers of a group run to group x 50 + 49, and BackTile holds number + 1 in 15 bits.
  static constexpr int kMaxBigTileGroup = (0x7FFF - 1 - 49) / 50;  // 654
  // MiddleTile holds small-tile number + 1 in 16 bits.
  static constexpr int kMaxSmallTileGroup = (0xFFFF - 1 - 59) / 60;  // 1091
  static constexpr int kMaxTile = 0x7FFF - 1;                        // 32766

  int ToolMode = 0;   // 0 big tiles, 1 small tiles, 3 objects, 4 object sets, 5 light, 6 doors
  int LayerMode = 1;  // 0 "Big", 1 "Small", 2 "All", 3 "1", 4 "2", 5 "3"
  int BigTileGroup = 0;
  int CurrentTile = 0;  // the tile picker's selection, -1 for none
  int SmallTileGroup = 0;
  int FillCounter = 0;
  int FillStartGroup = 0;
  int ObjectSelection = -1;  // the object picker's selection, an ObjectIndex or -1
  int SegOriginX = 0;        // world origin of the loaded segment window
  int SegOriginY = 0;
  bool SegmentMode = false;

  bool SetBigTileGroup(int group) {
    if (group < 0 || group > kMaxBigTileGroup) return false;
    BigTileGroup = group;
    return true;
  }
  bool SetSmallTileGroup(int group) {
    if (group < 0 || group > kMaxSmallTileGroup) return false;
    SmallTileGroup = group;
    return true;
  }
  bool SetCurrentTile(int tile) {
    if (tile < -1 || tile > kMaxTile) return false;
    CurrentTile = tile;
    return true;
  }
};

}  // namespace hl

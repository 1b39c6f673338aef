#pragma once

#include "map/MapUnits.h"

namespace hl {

// The drawing tools of the Tools menu; the numbers are the ones scripts give after "tool".
// 2 has no menu item and draws nothing.
enum class ToolMode : int {
  DrawBigTiles = 0,
  DrawSmTiles = 1,
  DrawObjects = 3,
  DrawObjectsInSet = 4,
  SetLightEffect = 5,
  UpdateDoors = 6,
  Select = 7,
};

// The toolbar's layer buttons "Big", "Small", "All", "1", "2" and "3", numbered as scripts give
// them after "layer". "2" and "3" are tools of their own whatever the Tools menu says.
enum class LayerMode : int {
  Big = 0,
  Small = 1,
  All = 2,
  MarkFill = 3,   // "1": fills the marks of a region (with Draw Big Tiles)
  MarkBrush = 4,  // "2": brushes marks
  Eraser = 5,     // "3": erases objects, animation and doors
};
inline constexpr int kLayerModes = 6;

// The Tools menu's drawing tools in menu order: object name, caption (also the name of the
// undo step a stroke with the tool makes), tool.
struct ToolItem {
  const char* Name;
  const char* Caption;
  ToolMode Mode;
};
inline constexpr ToolItem kToolItems[] = {
    {"DrawBigTile1", "Draw Big Tiles", ToolMode::DrawBigTiles},
    {"DrawObject1", "Draw Objects", ToolMode::DrawObjects},
    {"DrawObjectTileSet1", "Draw Objects In Set  Tiles", ToolMode::DrawObjectsInSet},
    {"DrawSmTile1", "Draw SM Tiles", ToolMode::DrawSmTiles},
    {"SetLightEffect1", "Set Light Effect", ToolMode::SetLightEffect},
    {"UpdateDoor1", "Update Doors", ToolMode::UpdateDoors},
    {"Select1", "Select", ToolMode::Select}};

// What the pickers and menus choose for the mouse tools. The setters refuse values that the
// cell fields cannot store, so a bad selection can never corrupt marks or loop a fill.
struct ToolState {
  // Every tile of the group must fit its field: BackTile holds number + 1 in 15 bits,
  // MiddleTile in 16.
  static constexpr int kMaxBigTileGroup =
      (kMaxFieldImage - (kBigTileGroupSize - 1)) / kBigTileGroupSize;  // 654
  static constexpr int kMaxSmallTileGroup =
      (kMaxMiddleImage - (kSmallTileGroupSize - 1)) / kSmallTileGroupSize;  // 1091
  static constexpr int kMaxTile = kMaxFieldImage;                            // 32766

  hl::ToolMode ToolMode = hl::ToolMode::DrawBigTiles;
  hl::LayerMode LayerMode = hl::LayerMode::Small;
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

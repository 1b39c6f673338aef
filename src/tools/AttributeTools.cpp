#include "tools/AttributeTools.h"

#include <array>
#include <vector>

#include "util/TextHelpers.h"

namespace hl {

namespace {

constexpr NumberField kLightField{"The light value", 0, kMaxLight, std::nullopt};
constexpr NumberField kDoorIndexField{"The door index", 0, kMaxDoorIndex, std::nullopt};
constexpr NumberField kDoorOffsetField{"The door offset", 0, kMaxDoorOffset, std::nullopt};

std::string LightProblem(const std::string& text) {
  return kLightField.Problem(text);
}

std::string DoorProblem(const Questions::DoorTexts& texts) {
  std::string index = kDoorIndexField.Problem(texts.Index);
  const std::string offset = kDoorOffsetField.Problem(texts.Offset);
  if (!index.empty() && !offset.empty()) index += "\n";
  return index + offset;
}

}  // namespace

std::optional<int> AttributeTools::AskLight(int value) {
  const auto text = questions_.LightText(std::to_string(value), LightProblem);
  if (!text) return std::nullopt;
  // The dialog let only what the check took through; anything else counts as cancelled.
  return kLightField.Read(*text);
}

bool AttributeTools::AskDoor(int& door, int& offset) {
  const auto answer = questions_.DoorDialog(
      {(door & kDoorCoreFlag) != 0, std::to_string(door & kMaxDoorIndex), std::to_string(offset)},
      DoorProblem);
  if (!answer) return false;
  const auto index = kDoorIndexField.Read(answer->Index);
  const auto newOffset = kDoorOffsetField.Read(answer->Offset);
  if (!index || !newOffset) return false;
  door = *index | (answer->Door ? kDoorCoreFlag : 0);
  offset = *newOffset;
  return true;
}

void AttributeTools::EditCellLight(int x, int y) {
  int offset = 0, door = 0, light = 0;
  if (!doc_.GetLightAndDoor(x, y, offset, door, light)) return;
  const std::optional<int> typed = AskLight(light);
  if (!typed) return;
  doc_.SetLight(x, y, *typed);
  redraw_.RedrawCells(x - 1, y - 1, 1, 1);
}

void AttributeTools::EditExistingLight(int x, int y) {
  int offset = 0, door = 0, light = 0;
  if (!doc_.GetLightAndDoor(x, y, offset, door, light)) return;
  if (light > 0) {
    EditCellLight(x, y);
  } else {
    questions_.Beep();
  }
}

void AttributeTools::EditCellDoor(int x, int y) {
  int offset = 0, door = 0, light = 0;
  if (!doc_.GetLightAndDoor(x, y, offset, door, light)) return;
  if (!AskDoor(door, offset)) return;
  TMapCell cell = doc_.Cell(x, y);
  cell.Door = static_cast<std::uint8_t>(door);
  cell.DoorOffset = static_cast<std::uint8_t>(offset);
  doc_.SetCell(x, y, cell);
  redraw_.RedrawCells(x, y, 0, 0);
}

int AttributeTools::FillMarks(int x, int y, const MouseState& held, int& fillCounter) {
  if (!held.Left && !held.Right) return 0;
  const bool front = held.Right;
  auto decidingSet = [&](int cx, int cy) {
    const TMapCell& c = doc_.Cell(cx, cy);
    return front ? (c.ObjectImage & kMarkBit) != 0 : (c.BackTile & kMarkBit) != 0;
  };
  const int width = std::min(doc_.MapWidth(), kStorageSide);
  const int height = std::min(doc_.MapHeight(), kStorageSide);
  // Depth first, as the recursion would go, with each position's next direction kept on an
  // explicit stack: left, up, right, down.
  struct Frame {
    int X, Y, Next;
  };
  static constexpr std::array<std::array<int, 2>, 4> kSteps = {{{-1, 0}, {0, -1}, {1, 0}, {0, 1}}};
  std::vector<Frame> stack;
  int marked = 0;
  auto visit = [&](int cx, int cy) {
    if (fillCounter >= kMaxFill || cx < 0 || cy < 0 || cx >= width || cy >= height) return;
    if (decidingSet(cx, cy)) return;
    ++fillCounter;
    ++marked;
    TMapCell c = doc_.Cell(cx, cy);
    if (held.Left) c.BackTile |= kMarkBit;
    if (held.Right) c.ObjectImage |= kMarkBit;
    doc_.SetCell(cx, cy, c);
    redraw_.RedrawCells(cx, cy, 0, 0);
    stack.push_back({cx, cy, 0});
  };
  visit(x, y);
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.Next == 4) {
      stack.pop_back();
      continue;
    }
    const auto step = kSteps[static_cast<std::size_t>(f.Next++)];
    visit(f.X + step[0], f.Y + step[1]);
  }
  return marked;
}

CellArea AttributeTools::MarkBrushArea(int x, int y, const MouseState& held) {
  return CellArea::Square(x, y, held.Shift ? kMarkBrushShiftReach : 0, kAccessEnd);
}

bool AttributeTools::PaintMarks(int x, int y, int button, const MouseState& held) {
  if (button != 0 && button != 1) return false;
  const CellArea area = MarkBrushArea(x, y, held);
  bool changed = false;
  for (int cx = area.X0; cx <= area.X1; ++cx) {
    for (int cy = area.Y0; cy <= area.Y1; ++cy) {
      TMapCell c = doc_.Cell(cx, cy);
      std::uint16_t& field = button == 0 ? c.BackTile : c.ObjectImage;
      const std::uint16_t before = field;
      field = held.Ctrl ? static_cast<std::uint16_t>(field & kNumberBits)
                        : static_cast<std::uint16_t>(field | kMarkBit);
      if (field == before) continue;
      doc_.SetCell(cx, cy, c);
      redraw_.RedrawCells(cx, cy, 0, 0);
      changed = true;
    }
  }
  return changed;
}

bool MoveObjectImage(MapDocument& doc, int image, int rows, bool* changed) {
  *changed = false;
  if (image < 0 || rows < 0 || rows > kMaxObjectMoveRows) return false;
  if (rows == 0) return true;  // every object lands where it stands
  doc.PushUndo(kCellMoveAction);
  const int number = image + 1;
  // Stops where the furthest move still lands inside the cells the bulk commands reach.
  constexpr int last = kLastWideCell - kMaxObjectMoveRows;
  for (int x = 0; x <= last; ++x) {
    for (int y = last; y >= 0; --y) {
      const TMapCell source = doc.Cell(x, y);
      if ((source.ObjectImage & kNumberBits) != number) continue;
      TMapCell target = doc.Cell(x, y + rows);
      target.ObjectImage = static_cast<std::uint16_t>((target.ObjectImage & kMarkBit) | number);
      target.ObjectLib = source.ObjectLib;
      target.AniFrame = source.AniFrame;
      target.AniTick = source.AniTick;
      TMapCell emptied = source;
      emptied.ObjectImage &= kMarkBit;
      emptied.ObjectLib = 0;  // no object is left to carry them
      emptied.AniFrame = 0;
      emptied.AniTick = 0;
      doc.SetCell(x, y, emptied);
      doc.SetCell(x, y + rows, target);
      *changed = true;
    }
  }
  doc.CloseAction();
  return true;
}

bool DeleteObjectImage(MapDocument& doc, int image, bool* changed) {
  *changed = false;
  if (image < 0) return false;
  doc.PushUndo(kCellMoveAction);
  const int number = image + 1;
  for (int x = 0; x <= kLastWideCell; ++x) {
    for (int y = kLastWideCell; y >= 0; --y) {
      TMapCell c = doc.Cell(x, y);
      if ((c.ObjectImage & kNumberBits) != number) continue;
      c.ObjectImage &= kMarkBit;
      doc.SetCell(x, y, c);
      *changed = true;
    }
  }
  doc.CloseAction();
  return true;
}

}  // namespace hl

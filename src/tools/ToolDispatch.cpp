#include "tools/ToolDispatch.h"

#include <algorithm>

#include "tools/AttributeTools.h"
#include "tools/BigTilePainter.h"
#include "tools/ObjectTools.h"
#include "tools/SmallTilePainter.h"
#include "util/Rounding.h"

namespace hl {

namespace {
int DownTo(int v, int step) {
  return v - v % step;
}
}  // namespace

int ToolDispatch::CellX(long long px, int zoom) {
  return static_cast<int>(TruncDiv(kZoomDenominator * px, 1LL * kCellWidth * zoom));
}

int ToolDispatch::CellY(long long py, int zoom) {
  return static_cast<int>(TruncDiv(kZoomDenominator * py, 1LL * kCellHeight * zoom));
}

std::optional<std::pair<int, int>> ToolDispatch::MapCellAt(long long px, long long py, int zoom,
                                                           int mapWidth, int mapHeight) {
  if (px < 0 || py < 0) return std::nullopt;
  const int x = CellX(px, zoom), y = CellY(py, zoom);
  if (x >= mapWidth || y >= mapHeight) return std::nullopt;
  return std::pair{x, y};
}

void ToolDispatch::Press(long long px, long long py, int zoom, MouseButton button,
                         const MouseState& held) {
  PressCell(CellX(px, zoom), CellY(py, zoom), button, held);
}

void ToolDispatch::PressCell(int x, int y, MouseButton button, const MouseState& held,
                             bool newStroke) {
  // A press starts a stroke of its own, even when the release of the last one never came (a
  // dialog took it).
  if (newStroke) Release();
  feedback_.EraseHover();
  PressAt(x, y, button, held);
}

void ToolDispatch::Release() {
  doc_.CloseAction();
}

std::string ToolDispatch::ActionName() const {
  switch (state_.LayerMode) {
    case LayerMode::Eraser:
      return "Erase";
    case LayerMode::MarkBrush:
      return "Brush Marks";
    case LayerMode::MarkFill:
      if (state_.ToolMode == ToolMode::DrawBigTiles) return "Fill Marks";
      break;
    default:
      break;
  }
  for (const ToolItem& item : kToolItems) {
    if (item.Mode == state_.ToolMode) return item.Caption;
  }
  return {};
}

ToolDispatch::Reach ToolDispatch::PressReach(const MouseState& held) const {
  // A square brush of radius r around the cell.
  const auto square = [](std::uint64_t r) { return Reach{(2 * r + 1) * (2 * r + 1), 2 * r + 1}; };
  if (state_.ToolMode == ToolMode::Select) return {};
  // The same order of decisions as PressAt.
  switch (state_.LayerMode) {
    case LayerMode::Eraser:
      return square(held.Shift  ? ObjectTools::kEraseShiftReach
                    : held.Ctrl ? ObjectTools::kEraseCtrlReach
                                : 0);
    case LayerMode::MarkBrush:
      return square(held.Shift ? AttributeTools::kMarkBrushShiftReach : 0);
    default:
      break;
  }
  const std::uint64_t width = std::clamp(doc_.MapWidth(), 0, kStorageSide);
  const std::uint64_t height = std::clamp(doc_.MapHeight(), 0, kStorageSide);
  switch (state_.ToolMode) {
    case ToolMode::DrawBigTiles:
      switch (state_.LayerMode) {
        case LayerMode::Big:
          return {BigTilePainter::kBlockCellVisits, BigTilePainter::kBlockReach};
        case LayerMode::Small:
          return {kBigTileStep * kBigTileStep, kBigTileStep};
        case LayerMode::All:
          return {width * height, width};
        case LayerMode::MarkFill: {
          const std::uint64_t most = AttributeTools::kMaxFill;
          return {std::min(width * height, most), std::min(width, most)};
        }
        default:
          return {};
      }
    case ToolMode::DrawSmTiles:
      if (state_.LayerMode != LayerMode::Big) return {};
      return {SmallTilePainter::kMaxCellVisits, SmallTilePainter::kPressReach};
    case ToolMode::DrawObjectsInSet: {
      const TObjectSet* set = currentSet_ ? currentSet_() : nullptr;
      if (!set || set->empty()) return {};
      // Each record is looked at twice; its cell and its tile (on the even cell before it)
      // lie in the columns the set spans and the one before.
      long long first = set->front().X, last = first;
      for (const TSetCell& r : *set) {
        first = std::min<long long>(first, r.X);
        last = std::max<long long>(last, r.X);
      }
      const auto columns =
          static_cast<std::uint64_t>(std::min<long long>(last - first + 2, kStorageSide));
      return {2 * static_cast<std::uint64_t>(set->size()), columns};
    }
    case ToolMode::DrawObjects:
    case ToolMode::SetLightEffect:
    case ToolMode::UpdateDoors:
      return square(0);
    case ToolMode::Select:
      break;
  }
  return {};
}

ClickArea ToolDispatch::ClickAreaAt(int x, int y, const MouseState& held) const {
  const CellArea one{x, y, x, y};
  // The same order of decisions as PressAt.
  if (state_.ToolMode == ToolMode::Select) return {one};
  switch (state_.LayerMode) {
    case LayerMode::Eraser:
      return {ObjectTools::EraseArea(x, y, held)};
    case LayerMode::MarkBrush:
      return {AttributeTools::MarkBrushArea(x, y, held)};
    default:
      break;
  }
  switch (state_.ToolMode) {
    case ToolMode::DrawBigTiles:
      if (state_.LayerMode == LayerMode::Big) return {BigTilePainter::BlockAt(x, y)};
      if (state_.LayerMode == LayerMode::Small) return {BigTilePainter::TileAt(x, y)};
      break;
    case ToolMode::DrawObjectsInSet:
      return {one, true};
    default:
      break;
  }
  return {one};
}

template <typename Routine>
void ToolDispatch::Edit(Routine&& routine) {
  doc_.ContinueAction(ActionName());
  routine();
  feedback_.SetModified();
}

void ToolDispatch::PressAt(int x, int y, MouseButton button, const MouseState& held) {
  // Selecting changes no cell, whatever the layer buttons say.
  if (state_.ToolMode == ToolMode::Select) return;
  switch (state_.LayerMode) {
    case LayerMode::Eraser:
      doc_.ContinueAction(ActionName());
      if (ObjectTools(doc_, redraw_, questions_).EraseCells(x, y, held)) feedback_.SetModified();
      return;
    case LayerMode::MarkBrush:
      doc_.ContinueAction(ActionName());
      if (AttributeTools(doc_, redraw_, questions_).PaintMarks(x, y, static_cast<int>(button), held))
        feedback_.SetModified();
      return;
    default:
      break;
  }
  if (state_.ToolMode == ToolMode::DrawBigTiles && state_.LayerMode == LayerMode::MarkFill) {
    // Any button: the fill itself decides by the buttons held.
    state_.FillCounter = 0;
    Edit([&] { AttributeTools(doc_, redraw_, questions_).FillMarks(x, y, held, state_.FillCounter); });
  }
  if (button != MouseButton::Left) return;
  switch (state_.ToolMode) {
    case ToolMode::DrawBigTiles:
      PressBigTiles(x, y, held);
      break;
    case ToolMode::DrawSmTiles:
      if (state_.LayerMode == LayerMode::Big) PaintSmallTile(x, y);
      break;
    case ToolMode::DrawObjects:
      Edit([&] {
        ObjectTools(doc_, redraw_, questions_).PlaceObject(x, y, state_.ObjectSelection, held);
      });
      break;
    case ToolMode::DrawObjectsInSet:
      Edit([&] {
        ObjectTools(doc_, redraw_, questions_)
            .PlaceObjectSet(x, y, currentSet_ ? currentSet_() : nullptr);
      });
      break;
    case ToolMode::SetLightEffect:
      Edit([&] {
        AttributeTools attributes(doc_, redraw_, questions_);
        if (held.Alt) {
          attributes.EditExistingLight(x, y);
        } else {
          attributes.EditCellLight(x, y);
        }
      });
      break;
    case ToolMode::UpdateDoors:
      Edit([&] { AttributeTools(doc_, redraw_, questions_).EditCellDoor(x, y); });
      break;
    case ToolMode::Select:
      break;
  }
}

bool ToolDispatch::FillRect(int x0, int y0, int x1, int y1) {
  if (state_.ToolMode == ToolMode::DrawBigTiles && state_.LayerMode == LayerMode::Big) {
    // As presses of the brush on every block from the one holding (x0, y0), row by row.
    Release();
    Edit([&] {
      BigTilePainter painter(doc_, redraw_, random_, state_.BigTileGroup);
      for (int y = DownTo(y0, kBigBlockStep); y <= y1; y += kBigBlockStep)
        for (int x = DownTo(x0, kBigBlockStep); x <= x1; x += kBigBlockStep)
          painter.PaintBigBlock(x, y);
    });
    Release();
    return true;
  }
  if (state_.ToolMode == ToolMode::DrawSmTiles) {
    Release();
    Edit([&] {
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
          SmallTilePainter(doc_, redraw_, random_, state_.SmallTileGroup).PaintSmallTile(x, y);
    });
    Release();
    return true;
  }
  return false;
}

ToolDispatch::Reach ToolDispatch::FillRectReach(int x0, int y0, int x1, int y1) const {
  if (x1 < x0 || y1 < y0) return {};
  const auto columns = [](std::uint64_t width) {
    return std::min<std::uint64_t>(width, kStorageSide);
  };
  const std::uint64_t width = static_cast<std::uint64_t>(x1) - x0 + 1;
  const std::uint64_t height = static_cast<std::uint64_t>(y1) - y0 + 1;
  if (state_.ToolMode == ToolMode::DrawBigTiles && state_.LayerMode == LayerMode::Big) {
    const std::uint64_t across = (x1 - DownTo(x0, kBigBlockStep)) / kBigBlockStep + 1;
    const std::uint64_t down = (y1 - DownTo(y0, kBigBlockStep)) / kBigBlockStep + 1;
    return {across * down * BigTilePainter::kBlockCellVisits,
            columns(width + BigTilePainter::kBlockReach)};
  }
  if (state_.ToolMode == ToolMode::DrawSmTiles) {
    return {width * height * SmallTilePainter::kMaxCellVisits,
            columns(width + SmallTilePainter::kPressReach)};
  }
  return {};
}

void ToolDispatch::PressBigTiles(int x, int y, const MouseState& held) {
  BigTilePainter painter(doc_, redraw_, random_, state_.BigTileGroup);
  switch (state_.LayerMode) {
    case LayerMode::Big:
      Edit([&] {
        const CellArea block = BigTilePainter::BlockAt(x, y);
        painter.PaintBigBlock(block.X0, block.Y0);
      });
      break;
    case LayerMode::Small:
      Edit([&] { painter.PlaceSingleTile(x, y, held.Alt, state_.CurrentTile); });
      break;
    case LayerMode::All:
      Edit([&] {
        const int ex = DownTo(x, kBigTileStep), ey = DownTo(y, kBigTileStep);
        const int t = doc_.GetBackTile(ex, ey);
        state_.FillStartGroup = t < 0 ? -1 : t / kBigTileGroupSize;
        painter.FillBigTiles(ex, ey, state_.FillStartGroup);
      });
      break;
    default:
      break;
  }
}

void ToolDispatch::PaintSmallTile(int x, int y) {
  Edit([&] {
    SmallTilePainter(doc_, redraw_, random_, state_.SmallTileGroup).PaintSmallTile(x, y);
  });
}

void ToolDispatch::Move(long long px, long long py, int zoom, const MouseState& held) {
  MoveCell(CellX(px, zoom), CellY(py, zoom), held);
}

void ToolDispatch::MoveCell(int x, int y, const MouseState& held) {
  feedback_.EraseHover();
  switch (state_.ToolMode == ToolMode::Select ? LayerMode::Big : state_.LayerMode) {
    case LayerMode::MarkBrush: {
      // The brush paints with the button held (right over left). The label stays; the outline
      // shows the brush.
      const int button = held.Right ? 1 : held.Left ? 0 : 2;
      if (button != 2) doc_.ContinueAction(ActionName());
      if (AttributeTools(doc_, redraw_, questions_).PaintMarks(x, y, button, held))
        feedback_.SetModified();
      feedback_.ShowHover(ClickAreaAt(x, y, held));
      return;
    }
    case LayerMode::Eraser:
      if (held.Left) {
        doc_.ContinueAction(ActionName());
        if (ObjectTools(doc_, redraw_, questions_).EraseCells(x, y, held)) feedback_.SetModified();
      }
      break;
    default:
      DragTool(x, y, held);
      break;
  }
  const int wx = x + (state_.SegmentMode ? state_.SegOriginX : 0);
  const int wy = y + (state_.SegmentMode ? state_.SegOriginY : 0);
  feedback_.SetCoordinateLabel(std::to_string(wx) + " : " + std::to_string(wy));
  feedback_.ShowHover(ClickAreaAt(x, y, held));
}

void ToolDispatch::DragTool(int& x, int& y, const MouseState& held) {
  if (state_.ToolMode == ToolMode::DrawBigTiles && state_.LayerMode == LayerMode::Big) {
    // The block under the mouse: its rounded cell is also what the label and outline show.
    const CellArea block = BigTilePainter::BlockAt(x, y);
    x = block.X0;
    y = block.Y0;
    if (held.Left && held.Ctrl) PressAt(x, y, MouseButton::Left, held);
  } else if (state_.ToolMode == ToolMode::DrawBigTiles && state_.LayerMode == LayerMode::Small) {
    if (held.Left && (held.Ctrl || held.Alt)) PressAt(x, y, MouseButton::Left, held);
  } else if (state_.ToolMode == ToolMode::DrawSmTiles && state_.LayerMode == LayerMode::Big) {
    if (held.Left && held.Ctrl) PaintSmallTile(x, y);
  }
}

}  // namespace hl

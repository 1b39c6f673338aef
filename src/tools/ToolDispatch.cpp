#include "tools/ToolDispatch.h"

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
  return static_cast<int>(TruncDiv(100 * px, 48LL * zoom));
}

int ToolDispatch::CellY(long long py, int zoom) {
  return static_cast<int>(TruncDiv(100 * py, 32LL * zoom));
}

void ToolDispatch::Press(long long px, long long py, int zoom, MouseButton button,
                         const MouseState& held) {
  PressCell(CellX(px, zoom), CellY(py, zoom), button, held);
}

void ToolDispatch::PressCell(int x, int y, MouseButton button, const MouseState& held) {
  feedback_.EraseHover();
  PressAt(x, y, button, held);
}

void ToolDispatch::PressAt(int x, int y, MouseButton button, const MouseState& held) {
  AttributeTools attributes(doc_, redraw_, questions_);
  if (state_.LayerMode == 5) {
    // The eraser takes no undo; a change it makes still counts for the save question.
    if (ObjectTools(doc_, redraw_, questions_).EraseCells(x, y, held)) feedback_.SetModified();
    return;
  }
  if (state_.LayerMode == 4) {
    // The brush takes no undo; a change it makes still counts for the save question.
    if (attributes.PaintMarks(x, y, static_cast<int>(button), held)) feedback_.SetModified();
    return;
  }
  if (state_.ToolMode == 0 && state_.LayerMode == 3) {
    state_.FillCounter = 0;
    doc_.PushUndo();
    attributes.FillMarks(x, y, held, state_.FillCounter);
    feedback_.SetModified();
  }
  if (button != MouseButton::Left) return;

  auto edit = [&](auto&& routine) {
    doc_.PushUndo();
    routine();
    feedback_.SetModified();
  };
  if (state_.ToolMode == 0) {
    BigTilePainter painter(doc_, redraw_, random_, state_.BigTileGroup);
    switch (state_.LayerMode) {
      case 0:
        edit([&] { painter.PaintBigBlock(DownTo(x, 4), DownTo(y, 4)); });
        break;
      case 1:
        edit([&] { painter.PlaceSingleTile(x, y, held.Alt, state_.CurrentTile); });
        break;
      case 2:
        edit([&] {
          const int ex = DownTo(x, 2), ey = DownTo(y, 2);
          const int t = doc_.GetBackTile(ex, ey);
          state_.FillStartGroup = t < 0 ? -1 : t / 50;
          painter.FillBigTiles(ex, ey, state_.FillStartGroup);
        });
        break;
      default:
        break;
    }
  } else if (state_.ToolMode == 1 && state_.LayerMode == 0) {
    edit([&] {
      SmallTilePainter(doc_, redraw_, random_, state_.SmallTileGroup).PaintSmallTile(x, y);
    });
  } else if (state_.ToolMode == 3 && state_.LayerMode <= 3) {
    edit([&] {
      ObjectTools(doc_, redraw_, questions_).PlaceObject(x, y, state_.ObjectSelection, held);
    });
  } else if (state_.ToolMode == 4 && state_.LayerMode <= 3) {
    edit([&] {
      ObjectTools(doc_, redraw_, questions_)
          .PlaceObjectSet(x, y, currentSet_ ? currentSet_() : nullptr);
    });
  } else if (state_.ToolMode == 5 && state_.LayerMode <= 3) {
    edit([&] {
      if (held.Alt) {
        attributes.EditExistingLight(x, y);
      } else {
        attributes.EditCellLight(x, y);
      }
    });
  } else if (state_.ToolMode == 6 && state_.LayerMode <= 3) {
    edit([&] { attributes.EditCellDoor(x, y); });
  }
}

void ToolDispatch::Move(long long px, long long py, int zoom, const MouseState& held) {
  MoveCell(CellX(px, zoom), CellY(py, zoom), held);
}

void ToolDispatch::MoveCell(int x, int y, const MouseState& held) {
  feedback_.EraseHover();
  if (state_.LayerMode == 4) {
    // The brush paints with the button held (right over left) and shows neither label nor
    // outline.
    const int button = held.Right ? 1 : held.Left ? 0 : 2;
    if (AttributeTools(doc_, redraw_, questions_).PaintMarks(x, y, button, held))
      feedback_.SetModified();
    return;
  }
  if (state_.LayerMode == 5) {
    if (held.Left && ObjectTools(doc_, redraw_, questions_).EraseCells(x, y, held))
      feedback_.SetModified();
  } else {
    if (state_.ToolMode == 0 && state_.LayerMode == 0) {
      // The block under the mouse: its rounded cell is also what the label and outline show.
      x = DownTo(x, 4);
      y = DownTo(y, 4);
      if (held.Left && held.Ctrl) PressAt(x, y, MouseButton::Left, held);
    } else if (state_.ToolMode == 0 && state_.LayerMode == 1) {
      if (held.Left && (held.Ctrl || held.Alt)) PressAt(x, y, MouseButton::Left, held);
    } else if (state_.ToolMode == 1 && state_.LayerMode == 0) {
      if (held.Left && held.Ctrl) {
        doc_.PushUndo();
        SmallTilePainter(doc_, redraw_, random_, state_.SmallTileGroup).PaintSmallTile(x, y);
        feedback_.SetModified();
      }
    }
  }
  const int wx = x + (state_.SegmentMode ? state_.SegOriginX : 0);
  const int wy = y + (state_.SegmentMode ? state_.SegOriginY : 0);
  feedback_.SetCoordinateLabel(std::to_string(wx) + " : " + std::to_string(wy));
  feedback_.ShowHover(x, y);
}

}  // namespace hl

#include "tools/ui/DrawGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace hl {

DrawGrid::DrawGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(true);
}

void DrawGrid::SetCellSize(int width, int height) {
  cellWidth_ = std::max(1, width);
  cellHeight_ = std::max(1, height);
  UpdateScrollBars();
}

void DrawGrid::SetGridLineWidth(int width) {
  line_ = std::max(0, width);
  UpdateScrollBars();
}

void DrawGrid::SetColumnCount(int columns) {
  columns_ = std::max(1, columns);
  col_ = std::min(col_, columns_ - 1);
  UpdateScrollBars();
}

void DrawGrid::SetRowCount(int rows) {
  rows_ = std::max(1, rows);
  row_ = std::min(row_, rows_ - 1);
  UpdateScrollBars();
}

void DrawGrid::SetCurrent(int col, int row) {
  col = std::clamp(col, 0, columns_ - 1);
  row = std::clamp(row, 0, rows_ - 1);
  if (col == col_ && row == row_) return;
  col_ = col;
  row_ = row;
  viewport()->update();
  emit CurrentChanged(col_, row_);
}

QRect DrawGrid::CellRect(int col, int row) const {
  const int x = col * (cellWidth_ + line_) - horizontalScrollBar()->value();
  const int y = row * (cellHeight_ + line_) - verticalScrollBar()->value();
  return {x, y, cellWidth_, cellHeight_};
}

void DrawGrid::UpdateScrollBars() {
  const QSize view = viewport()->size();
  const int width = columns_ * (cellWidth_ + line_), height = rows_ * (cellHeight_ + line_);
  horizontalScrollBar()->setRange(0, std::max(0, width - view.width()));
  verticalScrollBar()->setRange(0, std::max(0, height - view.height()));
  horizontalScrollBar()->setSingleStep(cellWidth_ + line_);
  verticalScrollBar()->setSingleStep(cellHeight_ + line_);
  horizontalScrollBar()->setPageStep(view.width());
  verticalScrollBar()->setPageStep(view.height());
  viewport()->update();
}

void DrawGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void DrawGrid::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  const int stepX = cellWidth_ + line_, stepY = cellHeight_ + line_;
  const int firstCol = horizontalScrollBar()->value() / stepX;
  const int firstRow = verticalScrollBar()->value() / stepY;
  const int lastCol =
      std::min(columns_ - 1, (horizontalScrollBar()->value() + viewport()->width()) / stepX);
  const int lastRow =
      std::min(rows_ - 1, (verticalScrollBar()->value() + viewport()->height()) / stepY);
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int col = firstCol; col <= lastCol; ++col) {
      const QRect cell = CellRect(col, row);
      p.save();
      p.setClipRect(cell);
      if (draw_) draw_(p, cell, col, row);
      p.restore();
      if (line_ > 0) {
        p.fillRect(QRect(cell.right() + 1, cell.top(), line_, stepY),
                   palette().color(QPalette::Mid));
        p.fillRect(QRect(cell.left(), cell.bottom() + 1, stepX, line_),
                   palette().color(QPalette::Mid));
      }
      if (col == col_ && row == row_) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(cell.adjusted(1, 1, -1, -1));
      }
    }
  }
}

std::optional<QPoint> DrawGrid::CellAt(QPointF point) const {
  const QPoint at =
      point.toPoint() + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const int col = at.x() / (cellWidth_ + line_), row = at.y() / (cellHeight_ + line_);
  if (at.x() < 0 || at.y() < 0 || col >= columns_ || row >= rows_) return std::nullopt;
  return QPoint(col, row);
}

void DrawGrid::mousePressEvent(QMouseEvent* event) {
  const auto cell = CellAt(event->position());
  if (!cell) return;
  SetCurrent(cell->x(), cell->y());
  emit CellClicked(cell->x(), cell->y());
}

void DrawGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const auto cell = CellAt(event->position());
  if (!cell) return;
  SetCurrent(cell->x(), cell->y());
  emit CellDoubleClicked(cell->x(), cell->y());
}

void DrawGrid::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      SetCurrent(col_ - 1, row_);
      break;
    case Qt::Key_Right:
      SetCurrent(col_ + 1, row_);
      break;
    case Qt::Key_Up:
      SetCurrent(col_, row_ - 1);
      break;
    case Qt::Key_Down:
      SetCurrent(col_, row_ + 1);
      break;
    default:
      emit KeyPressed(event->key(), event->modifiers());
      return;
  }
  const QRect cell = CellRect(col_, row_);
  if (!viewport()->rect().contains(cell)) {
    horizontalScrollBar()->setValue(col_ * (cellWidth_ + line_));
    verticalScrollBar()->setValue(row_ * (cellHeight_ + line_));
  }
}

}  // namespace hl

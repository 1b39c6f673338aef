#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <optional>

namespace hl {

// An owner-drawn grid of equal cells that draws only the cells in view, so that libraries of
// tens of thousands of images scroll smoothly. One cell is current; clicks and keys are passed
// on.
class DrawGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  using DrawCell = std::function<void(QPainter&, const QRect& cell, int col, int row)>;

  explicit DrawGrid(QWidget* parent = nullptr);

  void SetCellSize(int width, int height);
  void SetGridLineWidth(int width);
  void SetColumnCount(int columns);
  void SetRowCount(int rows);
  int ColumnCount() const { return columns_; }
  int RowCount() const { return rows_; }
  int CellWidth() const { return cellWidth_; }
  int CellHeight() const { return cellHeight_; }
  int Col() const { return col_; }
  int Row() const { return row_; }
  void SetCurrent(int col, int row);
  void SetDrawCell(DrawCell draw) { draw_ = std::move(draw); }
  // Where cell (col, row) is in the viewport now.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport point, or nothing beyond the last column or row.
  std::optional<QPoint> CellAt(QPointF point) const;

 signals:
  void CellClicked(int col, int row);
  void CellDoubleClicked(int col, int row);
  void CurrentChanged(int col, int row);
  void KeyPressed(int key, Qt::KeyboardModifiers modifiers);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateScrollBars();

  DrawCell draw_;
  int cellWidth_ = 48;
  int cellHeight_ = 32;
  int line_ = 1;
  int columns_ = 1;
  int rows_ = 1;
  int col_ = 0;
  int row_ = 0;
};

}  // namespace hl

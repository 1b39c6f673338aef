#include "view/OverviewPicture.h"

#include <algorithm>
#include <cstring>

namespace hl {

namespace {

// Columns and rows the passes draw: those in use, and no further than the accessors read.
int DrawnColumns(const MapDocument& doc) {
  return std::clamp(doc.MapWidth(), 0, kAccessEnd);
}
int DrawnRows(const MapDocument& doc) {
  return std::clamp(doc.MapHeight(), 0, kAccessEnd);
}

}  // namespace

OverviewPicture::OverviewPicture(const MapDocument& doc, LibrarySet& libraries)
    : doc_(doc), renderer_(doc, libraries, kPreparedBudget) {}

void OverviewPicture::FitTo(QSize box) {
  box = box.expandedTo(QSize(1, 1));
  if (box == box_) return;
  box_ = box;
  if (FitScale(doc_.MapWidth(), doc_.MapHeight()) != scale_) whole_ = true;
}

ScaleFactor OverviewPicture::FitScale(int mapWidth, int mapHeight) const {
  const long long w = std::max(1LL, 1LL * mapWidth * kCellWidth);
  const long long h = std::max(1LL, 1LL * mapHeight * kCellHeight);
  // The smaller of box width / map width and box height / map height, at most 1.
  ScaleFactor s = box_.width() * h <= box_.height() * w
                      ? ScaleFactor{box_.width(), static_cast<int>(w)}
                      : ScaleFactor{box_.height(), static_cast<int>(h)};
  if (s.Num >= s.Den) s = {1, 1};
  return s;
}

QRectF OverviewPicture::FromZoomOne(const QRectF& r) const {
  const double k = Ratio();
  return {r.x() * k, r.y() * k, r.width() * k, r.height() * k};
}

QPointF OverviewPicture::ToZoomOne(QPointF pixel) const {
  return pixel / Ratio();
}

void OverviewPicture::DrawWhole() {
  scale_ = FitScale(doc_.MapWidth(), doc_.MapHeight());
  renderer_.SetWorldPlacement(scale_, QPoint(0, 0));
  const QSize size(std::max(1, scale_.Position(1LL * doc_.MapWidth() * kCellWidth)),
                   std::max(1, scale_.Position(1LL * doc_.MapHeight() * kCellHeight)));
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  // No memory for the picture leaves it null; the dock then shows nothing rather than fail.
  if (image_.isNull()) return;
  renderer_.RedrawLayers(image_, image_.rect());
  ++wholeDraws_;
}

std::vector<QRect> OverviewPicture::Update() {
  const CellStorage& cells = doc_.Cells();
  const int columns = DrawnColumns(doc_), rows = DrawnRows(doc_);
  if (doc_.MapWidth() != seenWidth_ || doc_.MapHeight() != seenHeight_ ||
      FitScale(doc_.MapWidth(), doc_.MapHeight()) != scale_) {
    whole_ = true;
  }
  // Which columns changed, and the rows between the first and the last changed cell of each.
  struct Change {
    int X, Top, Bottom;
  };
  std::vector<Change> changes;
  if (!whole_) {
    int unshared = 0;
    for (int x = 0; x < columns; ++x) {
      if (seen_.SharesColumn(cells, x)) continue;
      if (++unshared * kWholeDrawShare > columns) {
        whole_ = true;
        break;
      }
      const CellStorage::Column& now = cells.ColumnAt(x);
      const CellStorage::Column& before = seen_.ColumnAt(x);
      auto differs = [&](int y) {
        return std::memcmp(&now[static_cast<std::size_t>(y)], &before[static_cast<std::size_t>(y)],
                           sizeof(TMapCell)) != 0;
      };
      int top = 0;
      while (top < rows && !differs(top)) ++top;
      if (top == rows) continue;  // written back as it was
      int bottom = rows - 1;
      while (!differs(bottom)) --bottom;
      changes.push_back({x, top, bottom});
    }
  }
  std::vector<QRect> drawn;
  if (whole_) {
    DrawWhole();
    whole_ = image_.isNull();  // tried again at the next update
    if (!whole_) drawn.push_back(image_.rect());
  } else if (!image_.isNull()) {
    // Neighbouring columns go together: a stroke's cells are drawn once.
    for (std::size_t i = 0; i < changes.size();) {
      int x1 = changes[i].X, top = changes[i].Top, bottom = changes[i].Bottom;
      std::size_t j = i + 1;
      for (; j < changes.size() && changes[j].X == x1 + 1; ++j) {
        x1 = changes[j].X;
        top = std::min(top, changes[j].Top);
        bottom = std::max(bottom, changes[j].Bottom);
      }
      // The area the old images covered and the new ones cover: the widest image drawn so far
      // is known to the renderer, the removed ones included.
      const QRect area =
          renderer_.ChangedArea(changes[i].X, top, x1 - changes[i].X, bottom - top) & image_.rect();
      if (!area.isEmpty()) {
        renderer_.RedrawLayers(image_, area);
        drawn.push_back(area);
      }
      i = j;
    }
    if (!drawn.empty()) ++partialDraws_;
  }
  seen_ = cells;
  seenWidth_ = doc_.MapWidth();
  seenHeight_ = doc_.MapHeight();
  return drawn;
}

}  // namespace hl

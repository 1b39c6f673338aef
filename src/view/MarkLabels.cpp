#include "view/MarkLabels.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace hl {

void MarkLabels::SetFont(const QFont& font) {
  font_ = font;
  font_.setPixelSize(kPixelSize);
  fontSet_ = true;
  Forget();
}

void MarkLabels::Forget() {
  labels_.clear();
  lights_.fill(nullptr);
  doors_.clear();
  labelHeight_ = -1;
  bytes_ = 0;
}

int MarkLabels::LabelHeight() {
  if (labelHeight_ < 0) {
    if (!fontSet_) SetFont(QFont());
    labelHeight_ = QFontMetrics(font_).height();
  }
  return labelHeight_;
}

QString MarkLabels::DoorLabel(int door, int offset) {
  return QString("%1%2/%3").arg(door & 0x80 ? "Dx" : "D").arg(door & 0x7F).arg(offset);
}

const PreparedImage* MarkLabels::Label(const QString& text) {
  if (auto it = labels_.find(text); it != labels_.end()) return it->second.get();
  if (!fontSet_) SetFont(QFont());
  const QFontMetrics metrics(font_);
  QImage box(metrics.horizontalAdvance(text) + 2, LabelHeight(), QImage::Format_RGB32);
  if (box.isNull()) return nullptr;
  box.fill(kBoxColour);
  {
    QPainter painter(&box);
    painter.setFont(font_);
    painter.setPen(QColor::fromRgb(kTextColour));
    painter.drawText(box.rect().adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  }
  auto label = std::make_unique<PreparedImage>(PrepareImage(box, box.size(), false));
  if (label->Pixels.isNull()) return nullptr;
  const std::size_t bytes = label->Pixels.sizeInBytes();
  if (bytes_ + bytes > kBudgetBytes) {
    // Doors and lights have few distinct labels; a map that has more draws them again.
    Forget();
  }
  bytes_ += bytes;
  return labels_.emplace(text, std::move(label)).first->second.get();
}

QRect MarkLabels::DoorMarker(int cellWidth, int cellHeight) {
  // An upright door leaf in the top-left part of the cell, at least 2 x 2 pixels.
  const int height = std::max(2, std::min(cellHeight, cellWidth) * 2 / 3);
  const int width = std::max(2, height * 2 / 3);
  return QRect(1, 1, width, height) & QRect(0, 0, cellWidth, cellHeight);
}

void MarkLabels::DrawDoor(QImage& target, const QRect& clip, const QRect& cell, int door,
                          int offset) {
  if (cell.height() >= LabelHeight()) {
    const int key = (door & 0xFF) << 8 | (offset & 0xFF);
    const PreparedImage* label = nullptr;
    if (auto it = doors_.find(key); it != doors_.end()) {
      label = it->second;
    } else {
      label = Label(DoorLabel(door, offset));
      doors_.emplace(key, label);  // after Label, which may have forgotten every label
    }
    if (label && label->Width() <= cell.width() && label->Height() <= cell.height()) {
      BlitPrepared(target, cell.left(), cell.top(), *label, clip);
      return;
    }
  }
  const QRect marker =
      DoorMarker(cell.width(), cell.height()).translated(cell.topLeft()) & clip & target.rect();
  const QRgb colour = door & 0x80 ? kCoreDoorColour : kDoorColour;
  for (int y = marker.top(); y <= marker.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
    std::fill(row + marker.left(), row + marker.right() + 1, colour);
  }
}

void MarkLabels::DrawLight(QImage& target, const QRect& clip, const QRect& cell, int light) {
  if (cell.height() < LabelHeight()) return;
  const PreparedImage*& known = lights_[static_cast<std::size_t>(light & 0xFF)];
  if (!known) known = Label(QString::number(light & 0xFF));
  const PreparedImage* label = known;
  if (!label || label->Width() > cell.width() || label->Height() > cell.height()) return;
  BlitPrepared(target, cell.right() + 1 - label->Width(), cell.bottom() + 1 - label->Height(),
               *label, clip);
}

}  // namespace hl

#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <cstddef>
#include <memory>
#include <unordered_map>

#include "images/Drawing.h"

namespace hl {

// What "Show AttribMarks" adds to the lights and doors at zooms where the view's own door
// labels do not show: small labels (dark text on a pale box) that stand inside their cell,
// and where a door label does not fit, a small door marker. Labels are drawn once each and
// copied from then on: a crowded map has thousands of lights in view.
class MarkLabels {
 public:
  static constexpr int kPixelSize = 9;
  // What the drawn labels may hold; past it they are drawn afresh.
  static constexpr std::size_t kBudgetBytes = std::size_t{1} << 20;
  static constexpr QRgb kBoxColour = 0xFFFFF8C8u;
  static constexpr QRgb kTextColour = 0xFF202020u;
  static constexpr QRgb kDoorColour = 0xFF8B4A1Cu;
  static constexpr QRgb kCoreDoorColour = 0xFFC0302Au;

  void SetFont(const QFont& font);

  // "D5/0", "Dx5/2": the door label of the view.
  static QString DoorLabel(int door, int offset);
  // The label of `text` at the small font, opaque; nullptr when no image could be made.
  const PreparedImage* Label(const QString& text);
  // The door marker in a cell of this size: where it stands (relative to the cell's top-left).
  static QRect DoorMarker(int cellWidth, int cellHeight);

  // What a cell (left, top, width, height) of the target shows; only pixels in `clip` change.
  // A door label where it fits, else the marker; a light value at the bottom right where it
  // fits.
  void DrawDoor(QImage& target, const QRect& clip, const QRect& cell, int door, int offset);
  void DrawLight(QImage& target, const QRect& clip, const QRect& cell, int light);

  std::size_t Bytes() const { return bytes_; }

 private:
  QFont font_;
  bool fontSet_ = false;  // the application's default font until SetFont
  void Forget();
  // The height of every label: cells lower than it take none, whatever the text.
  int LabelHeight();
  std::unordered_map<QString, std::unique_ptr<PreparedImage>> labels_;
  // The labels of light values and of doors (door x 256 + offset), found without making
  // their text: a map zoomed out shows thousands.
  std::array<const PreparedImage*, 256> lights_{};
  std::unordered_map<int, const PreparedImage*> doors_;
  int labelHeight_ = -1;
  std::size_t bytes_ = 0;
};

}  // namespace hl

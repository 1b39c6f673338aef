#pragma once

#include <QImage>
#include <QPainter>

namespace hl {

// The lighthouse over the water: the about box's picture and, cut square around the tower,
// the program's icon. Drawn rather than shipped; QtGui only, so that the build's icon tool
// draws it without a window system.
inline constexpr QSize kLighthouseScene(240, 140);
void PaintLighthouse(QPainter& p);
// The scene on kLighthouseScene's pixels.
QImage LighthousePicture();
// A square of `side` pixels around the tower, the beams to its edges.
QImage LighthouseIcon(int side);

}  // namespace hl

#include "app/ui/Lighthouse.h"

#include <QPainterPath>
#include <QPolygon>

namespace hl {

void PaintLighthouse(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(QPoint(0, 0), kLighthouseScene), QColor(28, 44, 84));
  p.setBrush(QColor(255, 236, 150, 70));
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygon({QPoint(120, 40), QPoint(0, 10), QPoint(0, 70)}));
  p.drawPolygon(QPolygon({QPoint(120, 40), QPoint(240, 10), QPoint(240, 70)}));
  p.setBrush(QColor(40, 90, 150));
  p.drawRect(0, 110, 240, 30);
  p.setBrush(QColor(240, 240, 235));
  p.drawPolygon(QPolygon({QPoint(108, 112), QPoint(132, 112), QPoint(126, 48), QPoint(114, 48)}));
  p.setBrush(QColor(200, 40, 40));
  p.drawRect(112, 70, 16, 10);
  p.drawRect(110, 92, 20, 10);
  p.setBrush(QColor(255, 230, 120));
  p.drawRect(113, 34, 14, 14);
  p.setBrush(QColor(60, 60, 70));
  p.drawPolygon(QPolygon({QPoint(110, 34), QPoint(130, 34), QPoint(120, 24)}));
}

QImage LighthousePicture() {
  QImage image(kLighthouseScene, QImage::Format_RGB32);
  QPainter p(&image);
  PaintLighthouse(p);
  return image;
}

QImage LighthouseIcon(int side) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  // Rounded corners, as desktop icons have them; the scene's full height, centred on the tower.
  const qreal scale = static_cast<qreal>(side) / kLighthouseScene.height();
  QPainterPath clip;
  clip.addRoundedRect(QRectF(0, 0, side, side), side * 0.12, side * 0.12);
  p.setClipPath(clip);
  p.scale(scale, scale);
  p.translate(-(kLighthouseScene.width() - kLighthouseScene.height()) / 2.0, 0);
  PaintLighthouse(p);
  return image;
}

}  // namespace hl

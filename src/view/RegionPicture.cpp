#include "view/RegionPicture.h"

#include <algorithm>
#include <memory>

#include "view/MapRenderer.h"

namespace hl {

QImage RenderRegion(const RegionCopy& copy, LibrarySet& libraries, int zoom) {
  if (copy.Empty()) return {};
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(copy.Width, copy.Height);
  PasteRegion(*doc, copy, 0, 0, false);
  MapRenderer renderer(*doc, libraries);
  renderer.SetZoom(zoom);
  const QSize surface = renderer.Surface();
  QImage picture(surface.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  if (picture.isNull()) return picture;
  // A window as large as the surface shows every cell.
  const ViewFrame frame{0, 0, surface.width() + kCellWidth, surface.height() + kCellHeight};
  renderer.PaintMap(picture, QPoint(0, 0), picture.rect(), frame);
  return picture;
}

int PictureZoom(const RegionCopy& copy, int longest) {
  const long long side = std::max(1LL * copy.Width * kCellWidth, 1LL * copy.Height * kCellHeight);
  return static_cast<int>(std::clamp(1LL * longest * kZoomDenominator / std::max(side, 1LL), 1LL,
                                     static_cast<long long>(kZoomDenominator)));
}

}  // namespace hl

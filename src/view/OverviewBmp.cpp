#include "view/OverviewBmp.h"

#include "images/BmpFile.h"

namespace hl {

SaveResult WriteOverviewBmp(MapRenderer& renderer, const std::string& path, int bandRows) {
  const QSize size = renderer.OverviewSize();
  Bmp24Writer bmp;
  if (SaveResult opened = bmp.Open(path, size.width(), size.height()); !opened) return opened;
  const bool drawn = renderer.RenderOverviewBands(
      bandRows, [&](const QImage& band, int) { return bmp.AppendBottomUp(band); });
  if (!drawn && !bmp.Failed())
    return SaveResult::CannotWrite(path, "out of memory for the picture");
  return bmp.Commit();
}

}  // namespace hl

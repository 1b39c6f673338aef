#pragma once

#include <string>

#include "util/SaveResult.h"
#include "view/MapRenderer.h"

namespace hl {

// Rows of the overview drawn and written at a time: 3 MiB of picture for the widest map.
inline constexpr int kOverviewBandRows = 128;

// The editor's "Save To bmp": the renderer's overview (RenderOverview) as a 24-bit BMP, byte
// for byte what WriteBmp24 makes of that picture, drawn and written a band of rows at a time
// so that memory stays a few bands whatever the size of the map.
SaveResult WriteOverviewBmp(MapRenderer& renderer, const std::string& path,
                            int bandRows = kOverviewBandRows);

}  // namespace hl

#pragma once

#include <QImage>
#include <string>

#include "util/SaveResult.h"

namespace hl {

// Writes a picture as PNG, replacing `path` only once the whole file is written, so a full
// disk never leaves half a picture where a whole one was.
SaveResult WritePng(const std::string& path, const QImage& image);

}  // namespace hl

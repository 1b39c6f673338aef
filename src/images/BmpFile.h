#pragma once

#include <QImage>
#include <string>

#include "util/SaveResult.h"

namespace hl {

// Writes a picture as an uncompressed 24-bit BMP (rows bottom-up, padded to 4 bytes),
// replacing `path` only once the whole file is written.
SaveResult WriteBmp24(const std::string& path, const QImage& image);

}  // namespace hl

#pragma once

#include <QImage>
#include <string>

namespace hl {

// Writes a picture as an uncompressed 24-bit BMP (rows bottom-up, padded to 4 bytes),
// replacing `path` only once the whole file is written. False, with a reason, on failure.
bool WriteBmp24(const std::string& path, const QImage& image, std::string* error);

}  // namespace hl

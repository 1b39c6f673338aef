#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "util/SaveResult.h"

namespace hl {

// PNG compression levels are zlib's: 0 stores the pixels, 1 is the fastest that compresses,
// 9 the smallest and slowest. Pictures are written at the fast level unless asked otherwise:
// Qt's writer at its default took four times longer than level 1 here, for a larger file.
inline constexpr int kFastPngLevel = 1;
inline constexpr int kMaxPngLevel = 9;

// Receives the bytes of a PNG in order; false stops the encoding.
using PngSink = std::function<bool(std::span<const std::uint8_t>)>;

// Encodes a picture as PNG: 8-bit RGB, or RGBA when the picture has an alpha channel, every
// row unfiltered (rendered maps compress better so, and faster). False when the picture is
// null, the level is outside 0..9, memory runs out, or the sink refuses bytes.
bool EncodePng(const QImage& image, int level, const PngSink& sink);
// The whole file in memory; nothing on failure.
std::optional<std::vector<std::uint8_t>> EncodePng(const QImage& image, int level);

// Writes a picture as PNG, replacing `path` only once the whole file is written, so a full
// disk never leaves half a picture where a whole one was.
SaveResult WritePng(const std::string& path, const QImage& image, int level = kFastPngLevel);

}  // namespace hl

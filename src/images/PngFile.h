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

// Pictures whose rows come to at most this many bytes are compressed in one piece by
// libdeflate (at level 1 about half zlib's time, for a smaller file); larger ones stream
// through zlib, so that memory does not grow with them.
inline constexpr std::size_t kPngWholeBufferBytes = std::size_t{96} << 20;

// Encodes a picture as PNG: 8-bit RGB, or RGBA when the picture has an alpha channel, every
// row unfiltered (rendered maps compress better so, and faster). False when the picture is
// null, the level is outside 0..9, memory runs out, or the sink refuses bytes.
bool EncodePng(const QImage& image, int level, const PngSink& sink,
               std::size_t wholeBufferBytes = kPngWholeBufferBytes);
// The whole file in memory; nothing on failure.
std::optional<std::vector<std::uint8_t>> EncodePng(const QImage& image, int level);

// A PNG of opaque pixels written a band of rows at a time, for pictures too large to hold
// whole: memory is one band. A band's rows may be compressed on several threads at once, each
// part on its own (Compress, which touches nothing shared), and go into the file in order
// (Add); every part ends on a byte boundary of the compressed stream, so the parts follow each
// other as one stream.
class PngBandWriter {
 public:
  struct Part {
    std::vector<std::uint8_t> Bytes;  // raw deflate data, ending with a sync flush
    std::uint32_t Adler = 1;          // of the uncompressed rows
    std::uint64_t Length = 0;         // uncompressed bytes
    int Rows = 0;
    bool Ok = false;
  };

  // An RGB picture of width x height pixels (1 .. 2^31 - 1 each) at zlib level 0 .. 9.
  PngBandWriter(PngSink sink, int width, int height, int level);
  // The signature and the header. False when the sink refuses them or the settings are out
  // of range.
  bool Begin();
  // Rows first .. first + count - 1 of `band` (Format_RGB32, as wide as the picture),
  // compressed. Ok is false when memory ran out.
  Part Compress(const QImage& band, int first, int count) const;
  // The next rows of the picture. False when the part failed, would pass the height, or the
  // sink refused it.
  bool Add(const Part& part);
  // Ends the picture; false unless every row came and the sink took the end.
  bool Finish();
  int RowsWritten() const { return rows_; }

 private:
  PngSink sink_;
  int width_, height_, level_;
  int rows_ = 0;
  bool begun_ = false;
  bool failed_ = false;
  std::uint32_t adler_ = 1;
};

// Writes a picture as PNG, replacing `path` only once the whole file is written, so a full
// disk never leaves half a picture where a whole one was.
SaveResult WritePng(const std::string& path, const QImage& image, int level = kFastPngLevel);

}  // namespace hl

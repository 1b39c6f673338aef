#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "util/SafeFileWriter.h"
#include "util/SaveResult.h"

namespace hl {

// An uncompressed 24-bit BMP written a band of rows at a time, bottom row first as the format
// stores them, so that a picture never has to be held whole. The file replaces `path` only
// once every row is written.
class Bmp24Writer {
 public:
  // Writes the header of a width x height picture. A picture without pixels, or too large for
  // the format, is refused before any file is touched.
  SaveResult Open(const std::string& path, int width, int height);
  // The next rows up: every row of `band` (as wide as the picture), its last row first. False
  // once anything has failed or when the band does not fit what is left.
  bool AppendBottomUp(const QImage& band);
  bool Failed() const { return failed_ || out_.Failed(); }
  // Finishes the file once every row is there; a file short of rows is not written.
  SaveResult Commit();

 private:
  SafeFileWriter out_;
  std::string path_;
  std::uint32_t width_ = 0;
  std::uint32_t rowsLeft_ = 0;
  std::uint32_t rowBytes_ = 0;
  std::vector<std::uint8_t> rows_;
  bool failed_ = false;
};

// Writes a whole picture as an uncompressed 24-bit BMP (rows bottom-up, padded to 4 bytes),
// replacing `path` only once the whole file is written.
SaveResult WriteBmp24(const std::string& path, const QImage& image);

}  // namespace hl

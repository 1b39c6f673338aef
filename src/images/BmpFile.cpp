#include "images/BmpFile.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "util/LittleEndian.h"

namespace hl {

namespace {

constexpr std::uint32_t kHeaderBytes = 54;
// Rows are converted and written this many at a time.
constexpr int kRowsPerWrite = 64;

}  // namespace

SaveResult Bmp24Writer::Open(const std::string& path, int width, int height) {
  path_ = path;
  auto fail = [&](std::string_view why) {
    failed_ = true;
    return SaveResult::CannotWrite(path, why);
  };
  if (width <= 0 || height <= 0) return fail("there is no picture to write");
  width_ = static_cast<std::uint32_t>(width);
  rowsLeft_ = static_cast<std::uint32_t>(height);
  rowBytes_ = (width_ * 3 + 3) / 4 * 4;
  const std::uint64_t pixelBytes = static_cast<std::uint64_t>(rowBytes_) * rowsLeft_;
  if (pixelBytes + kHeaderBytes > 0xFFFFFFFFu)
    return fail("the picture is too large for a BMP file");

  std::uint8_t header[kHeaderBytes] = {'B', 'M'};
  StoreLE<std::uint32_t>(header + 2, static_cast<std::uint32_t>(kHeaderBytes + pixelBytes));
  StoreLE<std::uint32_t>(header + 10, kHeaderBytes);
  StoreLE<std::uint32_t>(header + 14, 40);
  StoreLE<std::int32_t>(header + 18, width);
  StoreLE<std::int32_t>(header + 22, height);
  StoreLE<std::uint16_t>(header + 26, 1);
  StoreLE<std::uint16_t>(header + 28, 24);
  StoreLE<std::uint32_t>(header + 34, static_cast<std::uint32_t>(pixelBytes));
  StoreLE<std::int32_t>(header + 38, 2835);  // 72 dots per inch
  StoreLE<std::int32_t>(header + 42, 2835);

  if (!out_.Open(path, SafeFileWriter::OldTail::Drop)) {
    failed_ = true;
    return FileWriteFailure(path);
  }
  // Whatever errno the opening left behind is no reason for a failure from here on.
  errno = 0;
  out_.Write(header);
  return {};
}

bool Bmp24Writer::AppendBottomUp(const QImage& band) {
  if (Failed() || band.isNull()) return false;
  if (static_cast<std::uint32_t>(band.width()) != width_ ||
      static_cast<std::uint32_t>(band.height()) > rowsLeft_) {
    failed_ = true;
    return false;
  }
  const QImage rgb = band.convertToFormat(QImage::Format_RGB32);
  for (int done = 0; done < rgb.height() && !out_.Failed();) {
    const int n = std::min(kRowsPerWrite, rgb.height() - done);
    rows_.assign(static_cast<std::size_t>(rowBytes_) * static_cast<std::size_t>(n), 0);
    for (int k = 0; k < n; ++k) {
      const auto* src =
          reinterpret_cast<const QRgb*>(rgb.constScanLine(rgb.height() - 1 - done - k));
      std::uint8_t* dst =
          rows_.data() + static_cast<std::size_t>(rowBytes_) * static_cast<std::size_t>(k);
      for (std::uint32_t x = 0; x < width_; ++x) {
        dst[3 * x] = static_cast<std::uint8_t>(qBlue(src[x]));
        dst[3 * x + 1] = static_cast<std::uint8_t>(qGreen(src[x]));
        dst[3 * x + 2] = static_cast<std::uint8_t>(qRed(src[x]));
      }
    }
    out_.Write(rows_);
    done += n;
  }
  rowsLeft_ -= static_cast<std::uint32_t>(rgb.height());
  return !out_.Failed();
}

SaveResult Bmp24Writer::Commit() {
  if (out_.Failed()) return FileWriteFailure(path_);
  if (failed_ || rowsLeft_ > 0)
    return SaveResult::CannotWrite(path_, "the picture is not complete");
  if (!out_.Commit()) return FileWriteFailure(path_);
  return {};
}

SaveResult WriteBmp24(const std::string& path, const QImage& image) {
  Bmp24Writer bmp;
  if (SaveResult opened = bmp.Open(path, image.width(), image.height()); !opened) return opened;
  bmp.AppendBottomUp(image);
  return bmp.Commit();
}

}  // namespace hl

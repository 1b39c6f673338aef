#include "images/BmpFile.h"

#include <cerrno>
#include <string_view>
#include <vector>

#include "util/SafeFileWriter.h"
#include "util/LittleEndian.h"

namespace hl {

SaveResult WriteBmp24(const std::string& path, const QImage& image) {
  auto fail = [&](std::string_view why) { return SaveResult::CannotWrite(path, why); };
  if (image.isNull()) return fail("there is no picture to write");
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const std::uint32_t width = static_cast<std::uint32_t>(rgb.width());
  const std::uint32_t height = static_cast<std::uint32_t>(rgb.height());
  const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
  const std::uint64_t pixelBytes = static_cast<std::uint64_t>(rowBytes) * height;
  if (pixelBytes + 54 > 0xFFFFFFFFu) return fail("the picture is too large for a BMP file");

  std::uint8_t header[54] = {'B', 'M'};
  StoreLE<std::uint32_t>(header + 2, static_cast<std::uint32_t>(54 + pixelBytes));
  StoreLE<std::uint32_t>(header + 10, 54);
  StoreLE<std::uint32_t>(header + 14, 40);
  StoreLE<std::int32_t>(header + 18, static_cast<std::int32_t>(width));
  StoreLE<std::int32_t>(header + 22, static_cast<std::int32_t>(height));
  StoreLE<std::uint16_t>(header + 26, 1);
  StoreLE<std::uint16_t>(header + 28, 24);
  StoreLE<std::uint32_t>(header + 34, static_cast<std::uint32_t>(pixelBytes));
  StoreLE<std::int32_t>(header + 38, 2835);  // 72 dots per inch
  StoreLE<std::int32_t>(header + 42, 2835);

  SafeFileWriter out;
  if (!out.Open(path, SafeFileWriter::OldTail::Drop)) return FileWriteFailure(path);
  // Whatever errno the opening left behind is no reason for a failure from here on.
  errno = 0;
  out.Write(header);
  // Rows are converted and written a few at a time, bottom row first.
  std::vector<std::uint8_t> rows;
  constexpr std::uint32_t kRowsPerWrite = 64;
  for (std::uint32_t done = 0; done < height && !out.Failed();) {
    const std::uint32_t n = std::min(kRowsPerWrite, height - done);
    rows.assign(static_cast<std::size_t>(rowBytes) * n, 0);
    for (std::uint32_t k = 0; k < n; ++k) {
      const auto* src =
          reinterpret_cast<const QRgb*>(rgb.constScanLine(static_cast<int>(height - 1 - done - k)));
      std::uint8_t* dst = rows.data() + static_cast<std::size_t>(rowBytes) * k;
      for (std::uint32_t x = 0; x < width; ++x) {
        dst[3 * x] = static_cast<std::uint8_t>(qBlue(src[x]));
        dst[3 * x + 1] = static_cast<std::uint8_t>(qGreen(src[x]));
        dst[3 * x + 2] = static_cast<std::uint8_t>(qRed(src[x]));
      }
    }
    out.Write(rows);
    done += n;
  }
  if (!out.Commit()) return FileWriteFailure(path);
  return {};
}

}  // namespace hl

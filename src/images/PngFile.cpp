#include "images/PngFile.h"

#include <zlib.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "util/SafeFileWriter.h"

namespace hl {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Compressed data goes out in chunks of this size, so that memory does not grow with the
// picture.
constexpr std::size_t kDataChunkBytes = std::size_t{1} << 18;
constexpr std::uint8_t kColourRgb = 2;
constexpr std::uint8_t kColourRgba = 6;
constexpr std::uint8_t kFilterNone = 0;

void StoreBE32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

// Length, type, data and the CRC of type and data.
bool PutChunk(const PngSink& sink, const char (&type)[5], std::span<const std::uint8_t> data) {
  std::array<std::uint8_t, 8> head{};
  StoreBE32(head.data(), static_cast<std::uint32_t>(data.size()));
  std::memcpy(head.data() + 4, type, 4);
  uLong crc = crc32(0L, head.data() + 4, 4);
  // zlib takes a null buffer as a request for the initial value, which an empty span may be.
  if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
  std::array<std::uint8_t, 4> tail{};
  StoreBE32(tail.data(), static_cast<std::uint32_t>(crc));
  return sink(head) && (data.empty() || sink(data)) && sink(tail);
}

// A deflate stream for the lifetime of one encoding.
class Deflater {
 public:
  explicit Deflater(int level)
      : started_(deflateInit2(&z_, level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK) {}
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  ~Deflater() {
    if (started_) deflateEnd(&z_);
  }
  bool Started() const { return started_; }
  z_stream& Stream() { return z_; }

 private:
  z_stream z_{};
  bool started_;
};

}  // namespace

bool EncodePng(const QImage& image, int level, const PngSink& sink) {
  if (image.isNull() || level < 0 || level > kMaxPngLevel) return false;
  const bool alpha = image.hasAlphaChannel();
  const QImage pixels = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (pixels.isNull()) return false;
  const auto width = static_cast<std::uint32_t>(pixels.width());
  const auto height = static_cast<std::uint32_t>(pixels.height());
  const std::size_t channels = alpha ? 4 : 3;

  std::array<std::uint8_t, 13> header{};
  StoreBE32(header.data(), width);
  StoreBE32(header.data() + 4, height);
  header[8] = 8;  // bits per channel
  header[9] = alpha ? kColourRgba : kColourRgb;
  if (!sink(kSignature) || !PutChunk(sink, "IHDR", header)) return false;

  Deflater deflater(level);
  if (!deflater.Started()) return false;
  z_stream& z = deflater.Stream();
  std::vector<std::uint8_t> row(1 + channels * width);
  std::vector<std::uint8_t> packed(kDataChunkBytes);
  z.next_out = packed.data();
  z.avail_out = static_cast<uInt>(packed.size());
  // Deflates what is given, sending each full chunk on; with Z_FINISH also the last one.
  auto pump = [&](int flush) {
    for (;;) {
      const int result = deflate(&z, flush);
      const bool finished = result == Z_STREAM_END;
      if (result != Z_OK && !finished) return false;
      if (z.avail_out == 0 || finished) {
        const std::size_t used = packed.size() - z.avail_out;
        if (used > 0 && !PutChunk(sink, "IDAT", {packed.data(), used})) return false;
        z.next_out = packed.data();
        z.avail_out = static_cast<uInt>(packed.size());
      }
      if (finished) return true;
      if (flush == Z_NO_FLUSH && z.avail_in == 0) return true;
    }
  };
  for (std::uint32_t y = 0; y < height; ++y) {
    const auto* source = reinterpret_cast<const QRgb*>(pixels.constScanLine(static_cast<int>(y)));
    std::uint8_t* out = row.data();
    *out++ = kFilterNone;
    if (alpha) {
      for (std::uint32_t x = 0; x < width; ++x, out += 4) {
        const QRgb p = source[x];
        out[0] = static_cast<std::uint8_t>(qRed(p));
        out[1] = static_cast<std::uint8_t>(qGreen(p));
        out[2] = static_cast<std::uint8_t>(qBlue(p));
        out[3] = static_cast<std::uint8_t>(qAlpha(p));
      }
    } else {
      for (std::uint32_t x = 0; x < width; ++x, out += 3) {
        const QRgb p = source[x];
        out[0] = static_cast<std::uint8_t>(qRed(p));
        out[1] = static_cast<std::uint8_t>(qGreen(p));
        out[2] = static_cast<std::uint8_t>(qBlue(p));
      }
    }
    z.next_in = row.data();
    z.avail_in = static_cast<uInt>(row.size());
    if (!pump(Z_NO_FLUSH)) return false;
  }
  if (!pump(Z_FINISH)) return false;
  return PutChunk(sink, "IEND", {});
}

std::optional<std::vector<std::uint8_t>> EncodePng(const QImage& image, int level) {
  std::vector<std::uint8_t> bytes;
  const bool encoded = EncodePng(image, level, [&](std::span<const std::uint8_t> piece) {
    bytes.insert(bytes.end(), piece.begin(), piece.end());
    return true;
  });
  if (!encoded) return std::nullopt;
  return bytes;
}

SaveResult WritePng(const std::string& path, const QImage& image, int level) {
  if (image.isNull()) return SaveResult::CannotWrite(path, "there is no picture to write");
  if (level < 0 || level > kMaxPngLevel) {
    return SaveResult::CannotWrite(path, "the PNG level must be 0 to 9");
  }
  SafeFileWriter out;
  if (!out.Open(path, SafeFileWriter::OldTail::Drop)) return FileWriteFailure(path);
  // Whatever errno the opening left behind is no reason for a failure from here on.
  errno = 0;
  const bool encoded = EncodePng(
      image, level, [&](std::span<const std::uint8_t> piece) { return out.Write(piece); });
  if (out.Failed()) return FileWriteFailure(path);
  if (!encoded) return SaveResult::CannotWrite(path, "the picture could not be encoded as PNG");
  if (!out.Commit()) return FileWriteFailure(path);
  return {};
}

}  // namespace hl

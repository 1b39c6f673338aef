#include "images/PngFile.h"

#include <libdeflate.h>
#include <sys/mman.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

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
  std::uint32_t crc = libdeflate_crc32(0, head.data() + 4, 4);
  if (!data.empty()) crc = libdeflate_crc32(crc, data.data(), data.size());
  std::array<std::uint8_t, 4> tail{};
  StoreBE32(tail.data(), static_cast<std::uint32_t>(crc));
  return sink(head) && (data.empty() || sink(data)) && sink(tail);
}

// The signature and the header of an 8-bit picture of the colour type.
bool PutHead(const PngSink& sink, std::uint32_t width, std::uint32_t height, std::uint8_t colour) {
  std::array<std::uint8_t, 13> header{};
  StoreBE32(header.data(), width);
  StoreBE32(header.data() + 4, height);
  header[8] = 8;  // bits per channel
  header[9] = colour;
  return sink(kSignature) && PutChunk(sink, "IHDR", header);
}

// Compressed data as IDAT chunks of at most kDataChunkBytes each.
bool PutImageData(const PngSink& sink, std::span<const std::uint8_t> bytes) {
  for (std::size_t at = 0; at < bytes.size(); at += kDataChunkBytes) {
    if (!PutChunk(sink, "IDAT", bytes.subspan(at, std::min(kDataChunkBytes, bytes.size() - at))))
      return false;
  }
  return true;
}

// A deflate stream for the lifetime of one encoding.
class Deflater {
 public:
  explicit Deflater(int level, int windowBits = MAX_WBITS)
      : started_(deflateInit2(&z_, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) == Z_OK) {}
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

// One row of the picture as PNG stores it: the filter byte, then R, G, B (and A) per pixel.
void PackRow(const QRgb* source, std::uint32_t width, bool alpha, std::uint8_t* out) {
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
}

// The IDAT chunks of a picture small enough to hold its rows whole: nothing when memory runs
// out or libdeflate does not know the level (the caller streams through zlib then).
// A buffer of megabytes that is written once and let go: in huge pages where the system lends
// them, since faulting in its small pages one by one took longer than compressing the rows.
struct FreeBuffer {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
using LargeBuffer = std::unique_ptr<std::uint8_t[], FreeBuffer>;

LargeBuffer AllocateLarge(std::size_t bytes) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  auto* p = static_cast<std::uint8_t*>(std::aligned_alloc(kHugePage, rounded));
  if (!p) throw std::bad_alloc();
  ::madvise(p, rounded, MADV_HUGEPAGE);  // advice only: small pages do as well, more slowly
  return LargeBuffer(p);
}

struct CompressedRows {
  LargeBuffer Bytes;
  std::size_t Size = 0;
};

std::optional<CompressedRows> CompressWhole(const QImage& pixels, int level,
                                                       bool alpha, std::size_t rowBytes) {
  struct Free {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
  };
  const std::unique_ptr<libdeflate_compressor, Free> compressor(
      libdeflate_alloc_compressor(level));
  if (!compressor) return std::nullopt;
  const auto width = static_cast<std::uint32_t>(pixels.width());
  const auto height = static_cast<std::size_t>(pixels.height());
  try {
    // Not cleared first: every byte is written before it is read.
    const std::size_t rawBytes = rowBytes * height;
    const LargeBuffer raw = AllocateLarge(rawBytes);
    for (std::size_t y = 0; y < height; ++y) {
      PackRow(reinterpret_cast<const QRgb*>(pixels.constScanLine(static_cast<int>(y))), width,
              alpha, raw.get() + y * rowBytes);
    }
    const std::size_t room = libdeflate_zlib_compress_bound(compressor.get(), rawBytes);
    CompressedRows packed{AllocateLarge(room), 0};
    packed.Size =
        libdeflate_zlib_compress(compressor.get(), raw.get(), rawBytes, packed.Bytes.get(), room);
    if (packed.Size == 0) return std::nullopt;
    return packed;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace

bool EncodePng(const QImage& image, int level, const PngSink& sink,
               std::size_t wholeBufferBytes) {
  if (image.isNull() || level < 0 || level > kMaxPngLevel) return false;
  const bool alpha = image.hasAlphaChannel();
  const QImage pixels = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (pixels.isNull()) return false;
  const auto width = static_cast<std::uint32_t>(pixels.width());
  const auto height = static_cast<std::uint32_t>(pixels.height());
  const std::size_t channels = alpha ? 4 : 3;

  if (!PutHead(sink, width, height, alpha ? kColourRgba : kColourRgb)) return false;

  const std::size_t rowBytes = 1 + channels * width;
  if (rowBytes * height <= wholeBufferBytes) {
    if (const auto packed = CompressWhole(pixels, level, alpha, rowBytes)) {
      return PutImageData(sink, {packed->Bytes.get(), packed->Size}) &&
             PutChunk(sink, "IEND", {});
    }
  }

  Deflater deflater(level);
  if (!deflater.Started()) return false;
  z_stream& z = deflater.Stream();
  std::vector<std::uint8_t> row(rowBytes);
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
    PackRow(reinterpret_cast<const QRgb*>(pixels.constScanLine(static_cast<int>(y))), width,
            alpha, row.data());
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

PngBandWriter::PngBandWriter(PngSink sink, int width, int height, int level)
    : sink_(std::move(sink)), width_(width), height_(height), level_(level) {}

bool PngBandWriter::Begin() {
  if (begun_ || width_ < 1 || height_ < 1 || level_ < 0 || level_ > kMaxPngLevel) return false;
  begun_ = true;
  // The zlib header opens the data: deflate with a 32 KiB window, no dictionary.
  constexpr std::array<std::uint8_t, 2> kZlibHeader = {0x78, 0x01};
  failed_ = !(PutHead(sink_, static_cast<std::uint32_t>(width_),
                      static_cast<std::uint32_t>(height_), kColourRgb) &&
              PutImageData(sink_, kZlibHeader));
  return !failed_;
}

PngBandWriter::Part PngBandWriter::Compress(const QImage& band, int first, int count) const {
  Part part;
  part.Rows = count;
  if (band.format() != QImage::Format_RGB32 || band.width() != width_ || first < 0 || count < 0 ||
      first + count > band.height()) {
    return part;
  }
  // Raw deflate: the parts are pieces of one stream whose header Begin wrote.
  Deflater deflater(level_, -MAX_WBITS);
  if (!deflater.Started()) return part;
  z_stream& z = deflater.Stream();
  try {
    std::vector<std::uint8_t> row(1 + 3 * static_cast<std::size_t>(width_));
    // Room for all the part needs, not cleared first: the pages of a buffer as large as the
    // rows would otherwise be touched twice.
    std::size_t room =
        deflateBound(&z, static_cast<uLong>(row.size()) * static_cast<uLong>(count)) + 64;
    auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(room);
    z.next_out = buffer.get();
    z.avail_out = static_cast<uInt>(room);
    uLong adler = adler32(0L, Z_NULL, 0);
    auto grow = [&] {
      const std::size_t used = room - z.avail_out;
      auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(room * 2);
      std::copy_n(buffer.get(), used, larger.get());
      buffer = std::move(larger);
      room *= 2;
      z.next_out = buffer.get() + used;
      z.avail_out = static_cast<uInt>(room - used);
    };
    bool ok = true;
    for (int y = first; ok && y < first + count; ++y) {
      PackRow(reinterpret_cast<const QRgb*>(band.constScanLine(y)),
              static_cast<std::uint32_t>(width_), false, row.data());
      adler = libdeflate_adler32(static_cast<std::uint32_t>(adler), row.data(), row.size());
      z.next_in = row.data();
      z.avail_in = static_cast<uInt>(row.size());
      while (ok && z.avail_in > 0) {
        if (z.avail_out == 0) grow();
        ok = deflate(&z, Z_NO_FLUSH) == Z_OK;
      }
    }
    // A sync flush ends the part on a byte boundary without ending the stream; it is complete
    // once deflate leaves output room unused.
    while (ok) {
      if (z.avail_out == 0) grow();
      const int result = deflate(&z, Z_SYNC_FLUSH);
      ok = result == Z_OK || result == Z_BUF_ERROR;
      if (z.avail_out != 0) break;
    }
    part.Bytes.assign(buffer.get(), buffer.get() + (room - z.avail_out));
    part.Adler = static_cast<std::uint32_t>(adler);
    part.Length = static_cast<std::uint64_t>(row.size()) * static_cast<std::uint64_t>(count);
    part.Ok = ok;
  } catch (const std::bad_alloc&) {
    part.Bytes = {};
  }
  return part;
}

bool PngBandWriter::Add(const Part& part) {
  if (!begun_ || failed_ || !part.Ok || part.Rows > height_ - rows_) {
    failed_ = true;
    return false;
  }
  adler_ = static_cast<std::uint32_t>(
      adler32_combine(adler_, part.Adler, static_cast<z_off_t>(part.Length)));
  rows_ += part.Rows;
  failed_ = !PutImageData(sink_, part.Bytes);
  return !failed_;
}

bool PngBandWriter::Finish() {
  if (!begun_ || failed_ || rows_ != height_) return false;
  // The last block of the stream, empty, then the checksum of everything before it.
  // (A stored block, at level 0, takes five bytes.)
  std::array<std::uint8_t, 32> end{};
  Deflater deflater(level_, -MAX_WBITS);
  if (!deflater.Started()) return false;
  z_stream& z = deflater.Stream();
  z.next_out = end.data();
  z.avail_out = static_cast<uInt>(end.size() - 4);
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) return false;
  const std::size_t used = end.size() - 4 - z.avail_out;
  StoreBE32(end.data() + used, adler_);
  failed_ = !(PutImageData(sink_, {end.data(), used + 4}) && PutChunk(sink_, "IEND", {}));
  return !failed_;
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

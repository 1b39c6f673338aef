#include "images/LibraryWriter.h"

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "images/codec/Compress.h"
#include "images/TFirImages.h"
#include "images/TWilImages.h"
#include "util/SafeFileWriter.h"
#include "util/LittleEndian.h"

namespace hl {

namespace {

constexpr char kSignature[] = "Harbourlight image library";

class ByteSink {
 public:
  void Bytes(std::span<const std::uint8_t> b) { data_.insert(data_.end(), b.begin(), b.end()); }
  template <typename T>
  void Put(T v) {
    std::uint8_t b[sizeof(T)];
    StoreLE(b, v);
    data_.insert(data_.end(), b, b + sizeof(T));
  }
  void Zeros(std::size_t n) { data_.insert(data_.end(), n, 0); }
  void Signature(std::size_t fieldSize) {
    const std::size_t at = data_.size();
    data_.resize(at + fieldSize, 0);
    std::memcpy(data_.data() + at, kSignature, std::min(fieldSize, sizeof(kSignature) - 1));
  }
  std::size_t Size() const { return data_.size(); }
  std::vector<std::uint8_t>& Data() { return data_; }

 private:
  std::vector<std::uint8_t> data_;
};

struct FileContent {
  std::string Path;
  std::span<const std::uint8_t> Bytes;
};

// A library's files change together: all are written in full before any replaces its old
// version, and a failed replacement puts the earlier ones back, so a failure leaves the old
// library whole rather than a new image file with an old index.
SaveResult WriteTogether(std::initializer_list<FileContent> files) {
  std::vector<SafeFileWriter> writers(files.size());
  std::vector<SafeFileWriter*> finished;
  for (const FileContent& f : files) {
    SafeFileWriter& w = writers[finished.size()];
    if (!w.Open(f.Path, SafeFileWriter::OldTail::Drop)) return FileWriteFailure(f.Path);
    // Whatever errno the opening left behind is no reason for a failure from here on.
    errno = 0;
    if (!w.Write(f.Bytes) || !w.Finish()) return FileWriteFailure(f.Path);
    finished.push_back(&w);
  }
  std::size_t failed = 0;
  if (!ReplaceTogether(finished, &failed)) return FileWriteFailure(std::data(files)[failed].Path);
  return {};
}

// Why the image cannot be stored; empty when it can.
std::string ImageProblem(const LibraryImage& image, std::size_t index, int bytesPerPixel) {
  const std::string which = "image " + std::to_string(index);
  if (image.Width < 1 || image.Height < 1 || image.Width > 32767 || image.Height > 32767 ||
      static_cast<std::int64_t>(image.Width) * image.Height > kMaxImagePixels) {
    return which + " has a size no library image can have";
  }
  const std::size_t expected = static_cast<std::size_t>(image.Width) *
                               static_cast<std::size_t>(image.Height) *
                               static_cast<std::size_t>(bytesPerPixel);
  if (image.Pixels.size() != expected) return which + " has the wrong number of pixel bytes";
  return {};
}

bool FitsPositions(std::size_t size) {
  return size <= 0x7FFFFFFF;
}

constexpr char kTooLarge[] = "the library would exceed 2 GiB";

}  // namespace

SaveResult WriteWilLibrary(const std::string& path, const WilWriteOptions& options,
                           std::span<const LibraryImage> images) {
  auto refuse = [&](std::string_view why) { return SaveResult::CannotWrite(path, why); };
  const int bits = options.BitCount;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return refuse("Wil libraries hold 8, 16, 24 or 32 bits per pixel");
  }
  // The reader takes a colour count of 65536 for the older layout whatever the layout field.
  const bool older = options.Older || bits == 16;
  if (older && LoadLE<std::uint32_t>(options.Palette.data()) != 0) {
    // In the older layout the first palette entry stands where the newer layout's field lies.
    return refuse("the older layout needs palette entry 0 to be all zero");
  }
  const int bytesPerPixel = bits / 8;
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (const std::string problem = ImageProblem(images[i], i, bytesPerPixel); !problem.empty())
      return refuse(problem);
  }

  ByteSink wil;
  wil.Signature(44);
  wil.Put<std::int32_t>(static_cast<std::int32_t>(images.size()));
  const std::int32_t colours = bits == 8 ? 256 : bits == 16 ? 65536 : bits == 24 ? 16777216 : 0;
  wil.Put<std::int32_t>(colours);
  wil.Zeros(4);
  if (!older) wil.Put<std::int32_t>(1);  // the layout field: anything but 0
  wil.Bytes(options.Palette);

  std::vector<std::int32_t> positions;
  for (const LibraryImage& image : images) {
    if (!FitsPositions(wil.Size())) return refuse(kTooLarge);
    positions.push_back(static_cast<std::int32_t>(wil.Size()));
    wil.Put<std::int16_t>(static_cast<std::int16_t>(image.Width));
    wil.Put<std::int16_t>(static_cast<std::int16_t>(image.Height));
    wil.Put<std::int16_t>(image.PX);
    wil.Put<std::int16_t>(image.PY);
    if (!older) wil.Zeros(4);
    const std::size_t rowBytes = static_cast<std::size_t>(image.Width) * bytesPerPixel;
    const std::size_t storedRow =
        bits == 8 ? static_cast<std::size_t>(TWilImages::RowBytes8(image.Width)) : rowBytes;
    // Bottom row first; palette rows padded to 4 bytes, true-colour rows not.
    for (int y = image.Height - 1; y >= 0; --y) {
      wil.Bytes(std::span(image.Pixels).subspan(rowBytes * static_cast<std::size_t>(y), rowBytes));
      wil.Zeros(storedRow - rowBytes);
    }
  }
  if (!FitsPositions(wil.Size())) return refuse(kTooLarge);

  ByteSink wix;
  wix.Signature(44);
  wix.Put<std::int32_t>(static_cast<std::int32_t>(positions.size()));
  if (!older) wix.Zeros(4);
  for (std::int32_t p : positions) wix.Put<std::int32_t>(p);

  return WriteTogether({{path, wil.Data()}, {TWilImages::IndexFileName(path), wix.Data()}});
}

SaveResult WriteDataLibrary(const std::string& path, int method,
                            std::span<const LibraryImage> images) {
  const std::string file = TFirImages::DataFileName(path);
  auto refuse = [&](std::string_view why) { return SaveResult::CannotWrite(file, why); };
  if (method < 0 || method > 3) return refuse("Data libraries are written with methods 0 to 3");
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (const std::string problem = ImageProblem(images[i], i, 2); !problem.empty())
      return refuse(problem);
    const LibraryImage& image = images[i];
    const bool tiny =
        static_cast<std::int64_t>(image.Width) * image.Height < TFirImages::kSmallestCompressed;
    // A tiny image in a compressed library passes through a buffer of width x height x 2
    // bytes, too small for its padded rows when the width is odd and there are two rows.
    if (method != 0 && tiny && image.Width % 2 == 1 && image.Height > 1) {
      return refuse("image " + std::to_string(i) + " (" + std::to_string(image.Width) + " x " +
                    std::to_string(image.Height) +
                    ") cannot be stored in a compressed Data library");
    }
  }

  ByteSink data;
  data.Signature(48);
  data.Put<std::int32_t>(static_cast<std::int32_t>(images.size()));
  data.Put<std::int32_t>(TFirImages::kHeaderSize);
  data.Zeros(2);
  data.Put<std::uint16_t>(static_cast<std::uint16_t>(method));
  const std::size_t indexAt = data.Size();
  data.Zeros(images.size() * 4);

  for (std::size_t i = 0; i < images.size(); ++i) {
    const LibraryImage& image = images[i];
    if (!FitsPositions(data.Size())) return refuse(kTooLarge);
    StoreLE<std::int32_t>(data.Data().data() + indexAt + 4 * i,
                          static_cast<std::int32_t>(data.Size()));
    const std::size_t rowBytes = static_cast<std::size_t>(image.Width) * 2;
    std::vector<std::uint8_t> payload;
    if (method == 0 ||
        static_cast<std::int64_t>(image.Width) * image.Height < TFirImages::kSmallestCompressed) {
      const std::size_t padded = static_cast<std::size_t>(TFirImages::RawRowBytes(image.Width));
      payload.assign(padded * static_cast<std::size_t>(image.Height), 0);
      for (int y = 0; y < image.Height; ++y) {
        std::memcpy(payload.data() + padded * y, image.Pixels.data() + rowBytes * y, rowBytes);
      }
    } else if (method == 1) {
      payload = EncodeWordRle(image.Pixels);
    } else if (method == 2) {
      payload = EncodeZlib(image.Pixels);
    } else {
      payload = EncodeChunkedLz(image.Pixels);
    }
    data.Put<std::int16_t>(static_cast<std::int16_t>(image.Width));
    data.Put<std::int16_t>(static_cast<std::int16_t>(image.Height));
    data.Put<std::int16_t>(image.PX);
    data.Put<std::int16_t>(image.PY);
    data.Put<std::int32_t>(static_cast<std::int32_t>(payload.size()));
    data.Bytes(payload);
  }
  if (!FitsPositions(data.Size())) return refuse(kTooLarge);
  return WriteTogether({{file, data.Data()}});
}

}  // namespace hl

#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "images/DecodedImage.h"
#include "images/ImageMemory.h"
#include "images/TTexture.h"
#include "util/FileReader.h"
#include "util/ZeroedArray.h"

namespace hl {

// One image index of a library: its drawing offset and whatever forms have been decoded.
// A plain record, so that the entries of a library of tens of thousands of images cost
// nothing until used (see ZeroedArray). The library owns both forms: only TGameImages
// creates and frees them.
struct TImageEntry {
  std::int16_t PX;
  std::int16_t PY;
  std::uint32_t LastAccess;
  QImage* Bitmap;
  TTexture* Texture;
  bool TooLarge;  // larger than the whole image budget: drawn as missing, not decoded again
};

// A read-only image library. Images are decoded on first request, one at a time, and freed
// again when nobody has asked for them for five minutes, or sooner, least recently used
// first, when the images of the libraries sharing its ImageMemory would outgrow its budget.
// Callers borrow what a getter returns for the drawing call at hand only: the next request
// may sweep it away.
class TGameImages {
 public:
  using Clock = std::function<std::uint32_t()>;
  // Milliseconds of a monotonic clock, wrapping at 32 bits.
  static std::uint32_t SystemMilliseconds();

  static constexpr std::uint32_t kSweepIntervalMs = 5000;
  static constexpr std::uint32_t kIdleLimitMs = 300000;

  explicit TGameImages(Clock clock = &SystemMilliseconds);
  TGameImages(const TGameImages&) = delete;
  TGameImages& operator=(const TGameImages&) = delete;
  virtual ~TGameImages();

  std::uint32_t LastSweepTime;
  std::string FileName;
  int ImageCount = 0;
  std::uint8_t BitCount = 8;
  bool Initialized = false;
  // Kept for the owner that sets it; every getter returns the form it names either way.
  bool UseBitmaps = false;
  std::vector<int> LoadedList;
  ZeroedArray<TImageEntry> Images;

  const TTexture* GetTexture(int index);
  const QImage* GetBitmap(int index);
  const TTexture* GetTextureWithOffset(int index, int& px, int& py);
  const QImage* GetBitmapWithOffset(int index, int& px, int& py);

  virtual void Open() {}
  // Both formats close alike: forget every image, the entries and the open file. The position
  // list stays until the next Open refills it.
  virtual void Close();
  void FreeAllImages();

  // The budget this library's decoded images count against: its own until it shares one.
  // Frees every decoded image first.
  void ShareMemory(ImageMemory& memory);
  const ImageMemory& Memory() const { return *memory_; }
  std::uint32_t Now() const { return clock_(); }
  // Calls `visit(index, lastAccess)` for every image holding a decoded form.
  void ForEachLoaded(const std::function<void(int, std::uint32_t)>& visit) const;
  // What an image's decoded forms hold.
  static std::size_t FormBytes(const TImageEntry& entry);
  // Frees the decoded forms of the given images.
  void FreeImages(const std::vector<int>& indexes);

  // How many image positions the index gave.
  int PositionCount() const { return positionCount_; }

  // The pixels of the record at `position`, or nothing when it cannot be read or decoded.
  // The formats differ only here; both forms are made from what this returns.
  virtual std::optional<DecodedImage> ReadImage(std::int32_t position);
  // The size ReadImage would give the record at `position`, from its header alone; nothing
  // where the header already rules the image out.
  virtual std::optional<QSize> ReadImageSize(std::int32_t position);
  // The largest width and the largest height (perhaps of different images) of all the
  // library's images, read from their headers once and kept: how far any image drawn at a
  // cell may reach over the cells around it.
  QSize LargestImageSize();
  // The colours of 8-bit images, for libraries that have them.
  virtual const WilPalette* ImagePalette() const { return nullptr; }

 protected:
  // Fill the entry's form from the record at `position`, or leave it empty. May throw.
  void DecodeBitmap(std::int32_t position, TImageEntry& entry);
  void DecodeTexture(std::int32_t position, TImageEntry& entry);

  // Entries for `count` images, all empty.
  void AllocateImages(int count);
  // Reads up to `count` little-endian int32 positions at `offset` of `file`; an index cut
  // short keeps the positions that are whole.
  void LoadPositions(FileReader& file, std::uint64_t offset, std::size_t count);

  FileReader file_;

 private:
  enum class Form { Bitmap, Texture };
  TImageEntry* Request(int index, Form form);
  void SweepIdle(int keep);
  void FreeForms(TImageEntry& entry);
  // Counts a newly decoded form against the budget, or drops it when no room can be made.
  void Admit(int index, TImageEntry& entry, Form form);

  Clock clock_;
  std::unique_ptr<ImageMemory> ownMemory_;
  ImageMemory* memory_ = nullptr;
  std::unique_ptr<std::int32_t[]> positions_;
  int positionCount_ = 0;
  std::optional<QSize> largest_;
};

}  // namespace hl

#include "images/TGameImages.h"

#include <time.h>

#include <bit>
#include <cstring>
#include <exception>
#include <utility>

namespace hl {

std::uint32_t TGameImages::SystemMilliseconds() {
  // The coarse clock is a few milliseconds fine and far cheaper to read than the precise
  // one; every request reads it, and the idle rules count in seconds.
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

TGameImages::TGameImages(Clock clock)
    : clock_(std::move(clock)), ownMemory_(std::make_unique<ImageMemory>()) {
  memory_ = ownMemory_.get();
  memory_->Register(this);
  LastSweepTime = clock_();
}

TGameImages::~TGameImages() {
  Close();
  FreeAllImages();
  memory_->Unregister(this);
}

std::size_t TGameImages::FormBytes(const TImageEntry& entry) {
  std::size_t bytes = 0;
  if (entry.Bitmap) bytes += static_cast<std::size_t>(entry.Bitmap->sizeInBytes());
  if (entry.Texture) bytes += entry.Texture->Bits.size();
  return bytes;
}

void TGameImages::ShareMemory(ImageMemory& memory) {
  FreeAllImages();
  memory_->Unregister(this);
  memory_ = &memory;
  memory_->Register(this);
  ownMemory_.reset();
}

void TGameImages::ForEachLoaded(const std::function<void(int, std::uint32_t)>& visit) const {
  for (int index : LoadedList) {
    if (index >= 0 && static_cast<std::size_t>(index) < Images.size()) {
      visit(index, Images[static_cast<std::size_t>(index)].LastAccess);
    }
  }
}

void TGameImages::FreeImages(const std::vector<int>& indexes) {
  for (int index : indexes) {
    if (index >= 0 && static_cast<std::size_t>(index) < Images.size()) {
      FreeForms(Images[static_cast<std::size_t>(index)]);
    }
  }
  // One pass keeps the list of images that still hold a form.
  std::erase_if(LoadedList, [&](int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Images.size()) return true;
    const TImageEntry& entry = Images[static_cast<std::size_t>(index)];
    return !entry.Bitmap && !entry.Texture;
  });
}

void TGameImages::Admit(int index, TImageEntry& entry, Form form) {
  QImage*& bitmap = entry.Bitmap;
  TTexture*& texture = entry.Texture;
  const std::size_t bytes = form == Form::Bitmap
                                ? static_cast<std::size_t>(bitmap->sizeInBytes())
                                : texture->Bits.size();
  if (memory_->MakeRoom(bytes, this, index)) {
    memory_->Add(bytes);
    return;
  }
  if (form == Form::Bitmap) {
    std::unique_ptr<QImage>(std::exchange(bitmap, nullptr)).reset();
  } else {
    std::unique_ptr<TTexture>(std::exchange(texture, nullptr)).reset();
  }
  entry.TooLarge = true;
  ImageBudget::ReportTooLarge(FileName, index, bytes, memory_->Budget());
}

std::optional<DecodedImage> TGameImages::ReadImage(std::int32_t) {
  return std::nullopt;
}

void TGameImages::DecodeBitmap(std::int32_t position, TImageEntry& entry) {
  auto image = ReadImage(position);
  if (!image) return;
  QImage bitmap = MakeBitmapForm(*image, ImagePalette());
  if (bitmap.isNull()) return;
  entry.Bitmap = std::make_unique<QImage>(std::move(bitmap)).release();
  entry.PX = image->PX;
  entry.PY = image->PY;
}

void TGameImages::DecodeTexture(std::int32_t position, TImageEntry& entry) {
  auto image = ReadImage(position);
  if (!image) return;
  entry.Texture = std::make_unique<TTexture>(MakeTextureForm(*image, ImagePalette())).release();
  entry.PX = image->PX;
  entry.PY = image->PY;
}

void TGameImages::AllocateImages(int count) {
  FreeAllImages();
  Images.Reset(static_cast<std::size_t>(count));
}

void TGameImages::LoadPositions(FileReader& file, std::uint64_t offset, std::size_t count) {
  largest_.reset();
  positions_.reset();
  positionCount_ = 0;
  if (count == 0) return;
  // Read straight into the list: the index is stored as the little-endian int32 it is.
  positions_ = std::make_unique_for_overwrite<std::int32_t[]>(count);
  const std::size_t got = file.ReadAt(
      offset, {reinterpret_cast<std::uint8_t*>(positions_.get()), count * sizeof(std::int32_t)});
  positionCount_ = static_cast<int>(got / sizeof(std::int32_t));
}

std::optional<QSize> TGameImages::ReadImageSize(std::int32_t position) {
  const auto image = ReadImage(position);
  if (!image) return std::nullopt;
  return QSize(image->Width, image->Height);
}

QSize TGameImages::LargestImageSize() {
  if (largest_) return *largest_;
  QSize largest(0, 0);
  if (Initialized && file_.IsOpen()) {
    const int count = std::min(ImageCount, PositionCount());
    for (int i = 0; i < count; ++i) {
      try {
        if (const auto size = ReadImageSize(positions_[static_cast<std::size_t>(i)]))
          largest = largest.expandedTo(*size);
      } catch (const std::exception&) {
        // An image whose header cannot be read is never drawn.
      }
    }
  }
  largest_ = largest;
  return largest;
}

void TGameImages::FreeForms(TImageEntry& entry) {
  memory_->Remove(FormBytes(entry));
  std::unique_ptr<TTexture>(std::exchange(entry.Texture, nullptr)).reset();
  std::unique_ptr<QImage>(std::exchange(entry.Bitmap, nullptr)).reset();
}

TImageEntry* TGameImages::Request(int index, Form form) {
  if (index < 0 || index >= ImageCount || !file_.IsOpen() || !Initialized) return nullptr;
  try {
    const std::uint32_t now = clock_();
    // Unsigned differences keep working when the millisecond counter wraps.
    if (now - LastSweepTime > kSweepIntervalMs) {
      LastSweepTime = now;
      SweepIdle(index);
    }
    TImageEntry& entry = Images[static_cast<std::size_t>(index)];
    const bool present = form == Form::Bitmap ? entry.Bitmap != nullptr : entry.Texture != nullptr;
    if (present) {
      entry.LastAccess = now;
      return &entry;
    }
    if (index >= PositionCount() || entry.TooLarge) return nullptr;
    const std::int32_t position = positions_[static_cast<std::size_t>(index)];
    static_assert(std::endian::native == std::endian::little);
    // Room in the list first: a form that exists must always stand in it.
    LoadedList.reserve(LoadedList.size() + 1);
    if (form == Form::Bitmap) {
      DecodeBitmap(position, entry);
    } else {
      DecodeTexture(position, entry);
    }
    entry.LastAccess = clock_();
    const bool decoded = form == Form::Bitmap ? entry.Bitmap != nullptr : entry.Texture != nullptr;
    if (!decoded) return &entry;
    Admit(index, entry, form);
    // Only images that hold memory are worth a place in the list the sweep walks: one place
    // for each form.
    if (entry.Bitmap || entry.Texture) LoadedList.push_back(index);
    return &entry;
  } catch (const std::exception&) {
    return nullptr;
  }
}

void TGameImages::SweepIdle(int keep) {
  if (Images.empty()) return;
  for (std::size_t i = LoadedList.size(); i-- > 0;) {
    const int idx = LoadedList[i];
    if (idx == keep || idx < 0 || idx >= ImageCount) continue;
    TImageEntry& entry = Images[static_cast<std::size_t>(idx)];
    if (clock_() - entry.LastAccess > kIdleLimitMs) {
      LoadedList.erase(LoadedList.begin() + static_cast<std::ptrdiff_t>(i));
      FreeForms(entry);
    }
  }
}

const TTexture* TGameImages::GetTexture(int index) {
  TImageEntry* e = Request(index, Form::Texture);
  return e ? e->Texture : nullptr;
}

const QImage* TGameImages::GetBitmap(int index) {
  TImageEntry* e = Request(index, Form::Bitmap);
  return e ? e->Bitmap : nullptr;
}

const TTexture* TGameImages::GetTextureWithOffset(int index, int& px, int& py) {
  TImageEntry* e = Request(index, Form::Texture);
  if (!e) return nullptr;
  px = e->PX;
  py = e->PY;
  return e->Texture;
}

const QImage* TGameImages::GetBitmapWithOffset(int index, int& px, int& py) {
  TImageEntry* e = Request(index, Form::Bitmap);
  if (!e) return nullptr;
  px = e->PX;
  py = e->PY;
  return e->Bitmap;
}

void TGameImages::FreeAllImages() {
  // Every entry that holds a form stands in LoadedList, so walking it frees them all without
  // touching the untouched entries of a large library.
  for (int index : LoadedList) {
    if (index >= 0 && static_cast<std::size_t>(index) < Images.size()) {
      FreeForms(Images[static_cast<std::size_t>(index)]);
    }
  }
  LoadedList.clear();
}

void TGameImages::Close() {
  if (!Initialized) return;
  Initialized = false;
  FreeAllImages();
  Images.Clear();
  ImageCount = 0;
  file_.Close();
}

}  // namespace hl

#include "images/TGameImages.h"

#include <chrono>
#include <exception>

namespace hl {

std::uint32_t TGameImages::SystemMilliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TGameImages::TGameImages(Clock clock) : clock_(std::move(clock)) { LastSweepTime = clock_(); }

TGameImages::~TGameImages() { Close(); }

std::optional<DecodedImage> TGameImages::ReadImage(std::int32_t) { return std::nullopt; }

void TGameImages::DecodeBitmap(std::int32_t position, TImageEntry& entry) {
  auto image = ReadImage(position);
  if (!image) return;
  QImage bitmap = MakeBitmapForm(*image, ImagePalette());
  if (bitmap.isNull()) return;
  entry.Bitmap = std::make_unique<QImage>(std::move(bitmap));
  entry.PX = image->PX;
  entry.PY = image->PY;
}

void TGameImages::DecodeTexture(std::int32_t position, TImageEntry& entry) {
  auto image = ReadImage(position);
  if (!image) return;
  entry.Texture = std::make_unique<TTexture>(MakeTextureForm(*image, ImagePalette()));
  entry.PX = image->PX;
  entry.PY = image->PY;
}

void TGameImages::AllocateImages(int count) {
  Images.clear();
  Images.resize(static_cast<std::size_t>(count));
}

void TGameImages::FreeForms(TImageEntry& entry) {
  entry.Texture.reset();
  entry.Bitmap.reset();
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
    if (index >= PositionCount()) return nullptr;
    const std::int32_t position = positions_[static_cast<std::size_t>(index)];
    if (form == Form::Bitmap) {
      DecodeBitmap(position, entry);
    } else {
      DecodeTexture(position, entry);
    }
    entry.LastAccess = clock_();
    const bool decoded = form == Form::Bitmap ? entry.Bitmap != nullptr : entry.Texture != nullptr;
    // Only images that hold memory are worth a place in the list the sweep walks.
    if (decoded) LoadedList.push_back(index);
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
  return e ? e->Texture.get() : nullptr;
}

const QImage* TGameImages::GetBitmap(int index) {
  TImageEntry* e = Request(index, Form::Bitmap);
  return e ? e->Bitmap.get() : nullptr;
}

const TTexture* TGameImages::GetTextureWithOffset(int index, int& px, int& py) {
  TImageEntry* e = Request(index, Form::Texture);
  if (!e) return nullptr;
  px = e->PX;
  py = e->PY;
  return e->Texture.get();
}

const QImage* TGameImages::GetBitmapWithOffset(int index, int& px, int& py) {
  TImageEntry* e = Request(index, Form::Bitmap);
  if (!e) return nullptr;
  px = e->PX;
  py = e->PY;
  return e->Bitmap.get();
}

void TGameImages::FreeAllImages() {
  for (TImageEntry& entry : Images) FreeForms(entry);
  LoadedList.clear();
}

void TGameImages::Close() {
  if (!Initialized) return;
  Initialized = false;
  LoadedList.clear();
  Images.clear();
  Images.shrink_to_fit();
  ImageCount = 0;
  file_.Close();
}

}  // namespace hl

#include "view/PreparedImageCache.h"

#include <algorithm>
#include <map>

namespace hl {

namespace {

std::size_t BytesOf(const PreparedImage& image) {
  return static_cast<std::size_t>(image.Pixels.sizeInBytes()) +
         image.Runs.size() * sizeof(PreparedImage::Run) +
         image.RowRuns.size() * sizeof(std::uint32_t);
}

}  // namespace

bool PreparedImageCache::Library::Keep(std::unique_ptr<PreparedImage>& to, const QImage& bitmap,
                                       QSize size, bool keyed, int index) {
  if (size.width() <= 0 || size.height() <= 0) return true;
  // Judged before the pixels are made: a scaled copy of the largest image a library may
  // declare is a gigabyte.
  const std::size_t estimate = static_cast<std::size_t>(size.width()) *
                               static_cast<std::size_t>(size.height()) * sizeof(QRgb);
  if (estimate > owner_->budget_) {
    ImageBudget::ReportTooLarge(lib_->FileName, index, estimate, owner_->budget_);
    return true;  // never asked for again
  }
  if (!owner_->MakeRoom(estimate)) return false;
  PreparedImage prepared = PrepareImage(bitmap, size, keyed);
  if (prepared.Pixels.isNull()) return true;  // no memory for it: drawn as missing
  maxWidth_ = std::max(maxWidth_, prepared.Width());
  maxHeight_ = std::max(maxHeight_, prepared.Height());
  owner_->used_ += BytesOf(prepared);
  to = std::make_unique<PreparedImage>(std::move(prepared));
  return true;
}

void PreparedImageCache::Library::Fill(Slot& slot, int index, bool keyed) {
  slot.Known = true;
  const QImage* bitmap = lib_->GetBitmap(index);
  if (!bitmap) return;
  const QSize size(scale_.Size(bitmap->width()), scale_.Size(bitmap->height()));
  slot.Known = Keep(slot.Image, *bitmap, size, keyed, index);
}

const PreparedImage* PreparedImageCache::Library::FittedSlowly(FittedSlot& slot, int index,
                                                               bool keyed, unsigned dx,
                                                               unsigned dy) {
  if (slot.Fits == FittedSlot::kUnknown) {
    const QImage* bitmap = tile_.isEmpty() ? nullptr : lib_->GetBitmap(index);
    slot.Fits = bitmap && bitmap->size() == tile_ ? FittedSlot::kYes : FittedSlot::kNo;
  }
  if (slot.Fits == FittedSlot::kNo || (dx | dy) > 1) return Get(index, keyed);
  const unsigned variant = dx + 2 * dy;
  if (!(slot.Known & (1u << variant))) {
    if (const QImage* bitmap = lib_->GetBitmap(index)) {
      const QSize box(fitBase_.width() + static_cast<int>(dx),
                      fitBase_.height() + static_cast<int>(dy));
      if (!Keep(slot.Sizes[variant], *bitmap, box, keyed, index)) return nullptr;
    }
    slot.Known = static_cast<std::uint8_t>(slot.Known | 1u << variant);
  }
  return slot.Sizes[variant].get();
}

std::size_t PreparedImageCache::Library::ForgetUnusedSince(std::uint32_t frame) {
  std::size_t freed = 0;
  auto forget = [&](std::unique_ptr<PreparedImage>& image) {
    if (image) freed += BytesOf(*image);
    image.reset();
  };
  for (auto* table : {&keyed_, &opaque_}) {
    for (Slot& slot : *table) {
      if (slot.Known && slot.Frame <= frame) {
        forget(slot.Image);
        slot.Known = false;
      }
    }
  }
  for (auto* table : {&fittedKeyed_, &fittedOpaque_}) {
    for (FittedSlot& slot : *table) {
      if (slot.Known && slot.Frame <= frame) {
        for (auto& image : slot.Sizes) forget(image);
        slot.Known = 0;
      }
    }
  }
  return freed;
}

bool PreparedImageCache::MakeRoom(std::size_t bytes) {
  if (used_ + bytes <= budget_) return true;
  if (full_) return false;
  // What the images last used by each earlier frame hold, oldest frame first. Forgetting
  // down to three quarters of the budget keeps this search rare however many images a scroll
  // brings.
  std::map<std::uint32_t, std::size_t> frames;
  auto note = [&](std::uint32_t frame, const std::unique_ptr<PreparedImage>& image) {
    if (frame < frame_ && image) frames[frame] += BytesOf(*image);
  };
  for (auto& [lib, entry] : libraries_) {
    for (auto* table : {&entry.keyed_, &entry.opaque_})
      for (const auto& slot : *table) note(slot.Frame, slot.Image);
    for (auto* table : {&entry.fittedKeyed_, &entry.fittedOpaque_})
      for (const auto& slot : *table)
        for (const auto& image : slot.Sizes) note(slot.Frame, image);
  }
  const std::size_t target = budget_ - budget_ / 4;
  std::size_t freeing = 0;
  std::uint32_t last = 0;
  for (const auto& [frame, held] : frames) {
    if (used_ - std::min(used_, freeing) + bytes <= target) break;
    freeing += held;
    last = frame;
  }
  if (last > 0) {
    for (auto& [lib, entry] : libraries_) used_ -= std::min(used_, entry.ForgetUnusedSince(last));
  }
  if (used_ + bytes <= budget_) return true;
  full_ = true;
  return false;
}

void PreparedImageCache::SetScale(ScaleFactor scale) {
  if (scale == scale_) return;
  Clear();
  scale_ = scale;
}

PreparedImageCache::Library& PreparedImageCache::For(TGameImages& lib, QSize tile) {
  Library& entry = libraries_[&lib];
  if (!entry.lib_) {
    entry.owner_ = this;
    entry.lib_ = &lib;
    entry.scale_ = scale_;
  }
  if (entry.tile_.isEmpty() && !tile.isEmpty()) {
    entry.tile_ = tile;
    entry.fitBase_ = QSize(scale_.Position(tile.width()), scale_.Position(tile.height()));
  }
  return entry;
}

}  // namespace hl

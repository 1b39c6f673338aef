#include "view/PreparedImageCache.h"

#include <algorithm>

namespace hl {

void PreparedImageCache::Library::Keep(std::unique_ptr<PreparedImage>& to, PreparedImage prepared) {
  if (prepared.Pixels.isNull()) return;
  maxWidth_ = std::max(maxWidth_, prepared.Width());
  maxHeight_ = std::max(maxHeight_, prepared.Height());
  to = std::make_unique<PreparedImage>(std::move(prepared));
}

void PreparedImageCache::Library::Fill(Slot& slot, int index, bool keyed) {
  slot.Known = true;
  const QImage* bitmap = lib_->GetBitmap(index);
  if (!bitmap) return;
  Keep(slot.Image, PrepareImage(*bitmap, scale_, keyed));
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
    slot.Known = static_cast<std::uint8_t>(slot.Known | 1u << variant);
    if (const QImage* bitmap = lib_->GetBitmap(index)) {
      const QSize box(fitBase_.width() + static_cast<int>(dx),
                      fitBase_.height() + static_cast<int>(dy));
      Keep(slot.Sizes[variant], PrepareImage(*bitmap, box, keyed));
    }
  }
  return slot.Sizes[variant].get();
}

void PreparedImageCache::SetScale(ScaleFactor scale) {
  if (scale == scale_) return;
  libraries_.clear();
  scale_ = scale;
}

PreparedImageCache::Library& PreparedImageCache::For(TGameImages& lib, QSize tile) {
  Library& entry = libraries_[&lib];
  if (!entry.lib_) {
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

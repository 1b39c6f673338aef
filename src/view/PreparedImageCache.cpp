#include "view/PreparedImageCache.h"

#include <algorithm>

namespace hl {

void PreparedImageCache::Library::Fill(Slot& slot, int index, bool keyed) {
  slot.Known = true;
  const QImage* bitmap = lib_->GetBitmap(index);
  if (!bitmap) return;
  auto prepared = std::make_unique<PreparedImage>(PrepareImage(*bitmap, scale_, keyed));
  if (prepared->Pixels.isNull()) return;
  maxWidth_ = std::max(maxWidth_, prepared->Width());
  maxHeight_ = std::max(maxHeight_, prepared->Height());
  slot.Image = std::move(prepared);
}

void PreparedImageCache::SetScale(ScaleFactor scale) {
  if (scale == scale_) return;
  libraries_.clear();
  scale_ = scale;
}

PreparedImageCache::Library& PreparedImageCache::For(TGameImages& lib) {
  Library& entry = libraries_[&lib];
  if (!entry.lib_) {
    entry.lib_ = &lib;
    entry.scale_ = scale_;
  }
  return entry;
}

}  // namespace hl

#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "images/Drawing.h"
#include "images/TGameImages.h"

namespace hl {

// Library images scaled and keyed for one scale, kept so that a repaint costs one copy per
// image and no conversion. The pixels are exactly those the drawing operations produce.
class PreparedImageCache {
 public:
  class Library {
   public:
    // The image ready to copy, or nullptr when the library has none at this index (or it
    // shrinks to nothing at this scale).
    const PreparedImage* Get(int index, bool keyed) {
      if (index < 0 || index >= lib_->ImageCount) return nullptr;
      auto& table = keyed ? keyed_ : opaque_;
      if (table.empty()) table.resize(static_cast<std::size_t>(lib_->ImageCount));
      Slot& slot = table[static_cast<std::size_t>(index)];
      if (!slot.Known) Fill(slot, index, keyed);
      return slot.Image.get();
    }
    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }

   private:
    friend class PreparedImageCache;
    struct Slot {
      bool Known = false;
      std::unique_ptr<PreparedImage> Image;
    };
    void Fill(Slot& slot, int index, bool keyed);

    TGameImages* lib_ = nullptr;
    ScaleFactor scale_;
    std::vector<Slot> keyed_;
    std::vector<Slot> opaque_;
    int maxWidth_ = 0;
    int maxHeight_ = 0;
  };

  // Changing the scale forgets every prepared image.
  void SetScale(ScaleFactor scale);
  ScaleFactor Scale() const { return scale_; }
  Library& For(TGameImages& lib);
  void Clear() { libraries_.clear(); }

 private:
  ScaleFactor scale_;
  std::unordered_map<const TGameImages*, Library> libraries_;
};

}  // namespace hl

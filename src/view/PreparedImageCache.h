#pragma once

#include <QSize>
#include <array>
#include <cstdint>
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
    // The image ready to copy at its scaled size, or nullptr when the library has none at
    // this index (or it shrinks to nothing at this scale).
    const PreparedImage* Get(int index, bool keyed) {
      if (index < 0 || index >= lib_->ImageCount) return nullptr;
      auto& table = keyed ? keyed_ : opaque_;
      if (table.empty()) table.resize(static_cast<std::size_t>(lib_->ImageCount));
      Slot& slot = table[static_cast<std::size_t>(index)];
      if (!slot.Known) Fill(slot, index, keyed);
      return slot.Image.get();
    }

    // The image for a place whose cells cover boxWidth x boxHeight pixels: stretched over them
    // when its stored size is the library's tile size, so that neighbours meet; otherwise as
    // Get. Truncated cell edges make a box one pixel wider or higher at some places than at
    // others, so a tile has up to four boxes, each prepared when first asked for.
    const PreparedImage* GetFitted(int index, bool keyed, int boxWidth, int boxHeight) {
      if (index < 0 || index >= lib_->ImageCount) return nullptr;
      auto& table = keyed ? fittedKeyed_ : fittedOpaque_;
      if (table.empty()) table.resize(static_cast<std::size_t>(lib_->ImageCount));
      FittedSlot& slot = table[static_cast<std::size_t>(index)];
      // A repaint asks once per cell: a box already prepared is all it needs to look at.
      const unsigned dx = static_cast<unsigned>(boxWidth - fitBase_.width());
      const unsigned dy = static_cast<unsigned>(boxHeight - fitBase_.height());
      if ((dx | dy) <= 1 && (slot.Known & (1u << (dx + 2 * dy))))
        return slot.Sizes[dx + 2 * dy].get();
      return FittedSlowly(slot, index, keyed, dx, dy);
    }

    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }

   private:
    friend class PreparedImageCache;
    struct Slot {
      bool Known = false;
      std::unique_ptr<PreparedImage> Image;
    };
    struct FittedSlot {
      enum : std::uint8_t { kUnknown, kYes, kNo };
      std::uint8_t Fits = kUnknown;
      std::uint8_t Known = 0;  // one bit per entry of Sizes
      // Indexed by how much the box exceeds the smallest: width + 2 x height.
      std::array<std::unique_ptr<PreparedImage>, 4> Sizes;
    };
    void Fill(Slot& slot, int index, bool keyed);
    // What GetFitted's quick look leaves: the first ask for a box, and images that do not fit.
    const PreparedImage* FittedSlowly(FittedSlot& slot, int index, bool keyed, unsigned dx,
                                      unsigned dy);
    void Keep(std::unique_ptr<PreparedImage>& to, PreparedImage prepared);

    TGameImages* lib_ = nullptr;
    ScaleFactor scale_;
    // The stored size that fills cells, and the smaller of the two box sizes it gets at this
    // scale (the truncated scaled size; the larger is one more).
    QSize tile_;
    QSize fitBase_{0, 0};
    std::vector<Slot> keyed_;
    std::vector<Slot> opaque_;
    std::vector<FittedSlot> fittedKeyed_;
    std::vector<FittedSlot> fittedOpaque_;
    int maxWidth_ = 0;
    int maxHeight_ = 0;
  };

  // Changing the scale forgets every prepared image.
  void SetScale(ScaleFactor scale);
  ScaleFactor Scale() const { return scale_; }
  // The prepared images of a library. `tile` is the stored size of its images that fill the
  // cells they stand on (GetFitted); it is given once and kept until the scale changes.
  Library& For(TGameImages& lib, QSize tile = {});
  void Clear() { libraries_.clear(); }

 private:
  ScaleFactor scale_;
  std::unordered_map<const TGameImages*, Library> libraries_;
};

}  // namespace hl

#pragma once

#include <QSize>
#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "images/Drawing.h"
#include "images/ImageMemory.h"
#include "images/TGameImages.h"

namespace hl {

// Library images scaled and keyed for one scale, kept so that a repaint costs one copy per
// image and no conversion. The pixels are exactly those the drawing operations produce.
// What the cache holds stays within a budget (ImageBudget): room for a new image is made by
// forgetting images that the current frame has not used, those of the oldest frames first;
// an image that cannot get room is drawn as missing in this frame and asked for again in the
// next, and one larger than the whole budget is never prepared.
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
      slot.Frame = owner_->frame_;
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
      slot.Frame = owner_->frame_;
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
      std::uint32_t Frame = 0;  // the last frame that used it
      std::unique_ptr<PreparedImage> Image;
    };
    struct FittedSlot {
      enum : std::uint8_t { kUnknown, kYes, kNo };
      std::uint8_t Fits = kUnknown;
      std::uint8_t Known = 0;  // one bit per entry of Sizes
      std::uint32_t Frame = 0;
      // Indexed by how much the box exceeds the smallest: width + 2 x height.
      std::array<std::unique_ptr<PreparedImage>, 4> Sizes;
    };
    void Fill(Slot& slot, int index, bool keyed);
    // What GetFitted's quick look leaves: the first ask for a box, and images that do not fit.
    const PreparedImage* FittedSlowly(FittedSlot& slot, int index, bool keyed, unsigned dx,
                                      unsigned dy);
    // Prepares `bitmap` at `size` into `to` when the budget has room; false when it has not
    // in this frame (ask again in the next).
    bool Keep(std::unique_ptr<PreparedImage>& to, const QImage& bitmap, QSize size, bool keyed,
              int index);
    // Forgets the images no frame since `frame` has used; what that freed.
    std::size_t ForgetUnusedSince(std::uint32_t frame);

    PreparedImageCache* owner_ = nullptr;
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

  PreparedImageCache() : budget_(ImageBudget::Bytes()) {}
  explicit PreparedImageCache(std::size_t budget) : budget_(budget) {}
  PreparedImageCache(const PreparedImageCache&) = delete;
  PreparedImageCache& operator=(const PreparedImageCache&) = delete;

  // A repaint begins: what it uses from now on stays until it ends.
  void BeginFrame() {
    ++frame_;
    full_ = false;
  }
  std::size_t Used() const { return used_; }
  std::size_t Budget() const { return budget_; }

  // Changing the scale forgets every prepared image.
  void SetScale(ScaleFactor scale);
  ScaleFactor Scale() const { return scale_; }
  // The prepared images of a library. `tile` is the stored size of its images that fill the
  // cells they stand on (GetFitted); it is given once and kept until the scale changes.
  Library& For(TGameImages& lib, QSize tile = {});
  void Clear() {
    libraries_.clear();
    used_ = 0;
  }

 private:
  // Room for `bytes` more, made from images the current frame has not used.
  bool MakeRoom(std::size_t bytes);

  std::size_t budget_;
  std::size_t used_ = 0;
  std::uint32_t frame_ = 1;
  bool full_ = false;  // this frame found no more room: later asks fail without a search
  ScaleFactor scale_;
  std::unordered_map<const TGameImages*, Library> libraries_;
};

}  // namespace hl

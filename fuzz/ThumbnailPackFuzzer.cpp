// A thumbnail pack as anything could have left it in the cache folder: read for the slots a
// world shows, then written over with a new thumbnail, which must read back as stored. A
// damaged pack may only count as missing.
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "segments/ThumbnailStore.h"

namespace {

constexpr int kWidth = 120, kHeight = 80;

const hl::ThumbnailKey::Digest& Key() {
  static const hl::ThumbnailKey::Digest key = hl::ThumbnailKey().Add("fuzz").Value();
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const hl::WorldProject project{hl::fuzz::ScratchDir() + "/", "F", 16, 16};
  static const hl::ThumbnailStore store(hl::fuzz::ScratchDir() + "/cache", project);
  if (!store.Active()) abort();
  hl::fuzz::WriteFile(store.PackFile(0, 0), data, size);

  for (const auto [col, row] : std::array<std::pair<int, int>, 3>{{{0, 0}, {1, 0}, {15, 15}}}) {
    if (const auto rgb = store.Load(col, row, Key(), kWidth, kHeight)) {
      if (rgb->size() != std::size_t{kWidth} * kHeight * 3) abort();
    }
    if (const auto small = store.LoadSmall(col, row, Key(), kWidth, kHeight)) {
      if (small->size() != std::size_t{kWidth / 8} * (kHeight / 8) * 3) abort();
    }
    (void)store.Has(col, row, Key(), kWidth, kHeight);
  }

  std::vector<std::uint8_t> rgb(std::size_t{kWidth} * kHeight * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 + size);
  if (store.Store(2, 3, Key(), kWidth, kHeight, rgb) &&
      store.Load(2, 3, Key(), kWidth, kHeight) != rgb) {
    abort();
  }
  return 0;
}

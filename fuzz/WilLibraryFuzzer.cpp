// A Wil library and its index from one input: the first four bytes say where the .wil ends
// and the .WIX begins.
#include <cstring>

#include "FuzzFiles.h"
#include "images/TWilImages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::uint32_t split;
  std::memcpy(&split, data, 4);
  data += 4;
  size -= 4;
  split %= static_cast<std::uint32_t>(size + 1);
  const std::string wil = hl::fuzz::ScratchDir() + "/F.wil";
  hl::fuzz::WriteFile(wil, data, split);
  hl::fuzz::WriteFile(hl::fuzz::ScratchDir() + "/F.WIX", data + split, size - split);

  hl::TWilImages lib;
  lib.FileName = wil;
  lib.Open();
  const int count = lib.ImageCount < 32 ? lib.ImageCount : 32;
  for (int i = -1; i <= count; ++i) {
    lib.GetBitmap(i);
    int px = 0, py = 0;
    lib.GetTextureWithOffset(i, px, py);
  }
  return 0;
}

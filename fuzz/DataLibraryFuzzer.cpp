// A Data library whose compression method is fixed by the build (HL_FUZZ_METHOD), so that
// every method gets its own run however the input mutates.
#include <cstring>
#include <vector>

#include "FuzzFiles.h"
#include "images/TFirImages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  if (file.size() >= hl::TFirImages::kHeaderSize) {
    file[58] = HL_FUZZ_METHOD;
    file[59] = 0;
  }
  const std::string path = hl::fuzz::ScratchDir() + "/F.Data";
  hl::fuzz::WriteFile(path, file.data(), file.size());

  hl::TFirImages lib;
  lib.FileName = path;
  lib.Open();
  const int count = lib.ImageCount < 32 ? lib.ImageCount : 32;
  for (int i = -1; i <= count; ++i) {
    lib.GetBitmap(i);
    lib.GetTexture(i);
  }
  return 0;
}

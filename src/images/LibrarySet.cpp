#include "images/LibrarySet.h"

#include "images/TFirImages.h"
#include "images/TWilImages.h"

namespace hl {

std::string LibrarySet::ObjectLibraryName(int slot) {
  return hl::ObjectLibraryName(slot);
}

std::unique_ptr<TGameImages> LibrarySet::Make(const std::string& folder, const std::string& name,
                                              const TGameImages::Clock& clock) {
  std::unique_ptr<TGameImages> lib;
  if (format_ == LibraryFormat::Data) {
    lib = std::make_unique<TFirImages>(clock);
  } else {
    lib = std::make_unique<TWilImages>(clock);
  }
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  lib->FileName = prefix + name + (format_ == LibraryFormat::Data ? ".Data" : ".wil");
  lib->UseBitmaps = true;
  lib->ShareMemory(memory_);
  lib->Open();
  return lib;
}

void LibrarySet::Open(LibraryFormat format, const std::string& folder, TGameImages::Clock clock) {
  format_ = format;
  folder_ = folder;
  tiles_ = Make(folder, "Tiles", clock);
  smTiles_ = Make(folder, "SmTiles", clock);
  for (int slot = 0; slot < kObjectSlots; ++slot) {
    objects_[static_cast<std::size_t>(slot)] = Make(folder, ObjectLibraryName(slot), clock);
  }
}

}  // namespace hl

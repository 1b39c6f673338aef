#include "images/LibrarySet.h"

#include "images/TFirImages.h"
#include "images/TWilImages.h"
#include "util/FileLookup.h"

namespace hl {

std::string LibrarySet::ObjectLibraryName(int slot) {
  return hl::ObjectLibraryName(slot);
}

std::unique_ptr<TGameImages> LibrarySet::Make(const std::string& fileName,
                                              const TGameImages::Clock& clock, bool open) {
  std::unique_ptr<TGameImages> lib;
  if (format_ == LibraryFormat::Data) {
    lib = std::make_unique<TFirImages>(clock);
  } else {
    lib = std::make_unique<TWilImages>(clock);
  }
  lib->FileName = fileName;
  lib->UseBitmaps = true;
  lib->ShareMemory(memory_);
  if (open) lib->Open();
  return lib;
}

void LibrarySet::Open(LibraryFormat format, const std::string& folder, TGameImages::Clock clock) {
  format_ = format;
  folder_ = folder;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  const std::string extension = format_ == LibraryFormat::Data ? ".Data" : ".wil";
  tiles_ = Make(prefix + "Tiles" + extension, clock, true);
  smTiles_ = Make(prefix + "SmTiles" + extension, clock, true);
  for (int slot = 0; slot < kObjectSlots; ++slot) {
    objects_[static_cast<std::size_t>(slot)] =
        Make(prefix + ObjectLibraryName(slot) + extension, clock, true);
  }
}

void LibrarySet::OpenLike(const LibrarySet& model, TGameImages::Clock clock) {
  format_ = model.format_;
  folder_ = model.folder_;
  auto like = [&](const std::unique_ptr<TGameImages>& lib) {
    if (!lib || !lib->Initialized) return Make(lib ? lib->FileName : std::string(), clock, false);
    // The file found, in whatever letter case: found again at once.
    return Make(FindFileIgnoringCase(lib->FileName).value_or(lib->FileName), clock, true);
  };
  tiles_ = like(model.tiles_);
  smTiles_ = like(model.smTiles_);
  for (std::size_t slot = 0; slot < objects_.size(); ++slot)
    objects_[slot] = like(model.objects_[slot]);
}

}  // namespace hl

#pragma once

#include <array>
#include <memory>
#include <string>

#include "images/TGameImages.h"
#include "map/LibraryFormat.h"
#include "map/MapUnits.h"

namespace hl {

// The editor's image libraries: the tile library, the small-tile library and twenty object
// library slots, named "Tiles", "SmTiles", "Objects", "Objects2" ... "Objects20".
class LibrarySet {
 public:
  static constexpr int kObjectSlots = kObjectLibraries;

  // Library base names; the format adds ".wil" or ".Data".
  static std::string ObjectLibraryName(int slot);
  // The slot an ObjectIndex names; slots outside the libraries mean the first.
  static int ObjectSlot(int objectIndex) {
    const int slot = ObjectIndex::Library(objectIndex);
    return slot >= 0 && slot < kObjectSlots ? slot : 0;
  }

  LibrarySet() = default;
  // Libraries whose decoded images share `imageBudget` bytes: sets opened side by side, one
  // per thread, divide one budget between them.
  explicit LibrarySet(std::size_t imageBudget) : memory_(imageBudget) {}

  // Opens all 22 libraries of a format from `folder` (empty: the current directory). Missing
  // files leave their library without images.
  void Open(LibraryFormat format, const std::string& folder,
            TGameImages::Clock clock = &TGameImages::SystemMilliseconds);

  // Opens the files `model` opened, and none of those it found missing, without looking for
  // them again: sets opened side by side for several threads each looked through the folder
  // for every library missing, a folder that may hold a world of thousands of segments.
  void OpenLike(const LibrarySet& model,
                TGameImages::Clock clock = &TGameImages::SystemMilliseconds);

  LibraryFormat Format() const { return format_; }
  // The folder given to Open.
  const std::string& Folder() const { return folder_; }
  const ImageMemory& Memory() const { return memory_; }
  TGameImages& Tiles() { return *tiles_; }
  TGameImages& SmTiles() { return *smTiles_; }
  TGameImages& ObjectSlotLibrary(int slot) { return *objects_[static_cast<std::size_t>(slot)]; }
  // The library of an ObjectIndex.
  TGameImages& GetObjectLibrary(int objectIndex) {
    return ObjectSlotLibrary(ObjectSlot(objectIndex));
  }

 private:
  std::unique_ptr<TGameImages> Make(const std::string& fileName, const TGameImages::Clock& clock,
                                    bool open);

  LibraryFormat format_ = LibraryFormat::Data;
  std::string folder_;
  // Before the libraries, which count against it until they are gone.
  ImageMemory memory_;
  std::unique_ptr<TGameImages> tiles_;
  std::unique_ptr<TGameImages> smTiles_;
  std::array<std::unique_ptr<TGameImages>, kObjectSlots> objects_;
};

}  // namespace hl

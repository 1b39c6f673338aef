#include <memory>

#include "cli/CommandSupport.h"
#include "images/TWilImages.h"
#include "util/FileIdentity.h"
#include "util/FileLookup.h"

namespace hl::cli {

namespace {

// The file a reader of `path` opens (exact name first, then any letter case), when it exists.
void AddIfFound(std::vector<InputFile>& files, const char* what, const std::string& path) {
  if (const auto found = FindFileIgnoringCase(path)) files.push_back({what, *found});
}

}  // namespace

std::vector<InputFile> LibraryInputs(const TGameImages& lib) {
  std::vector<InputFile> files;
  AddIfFound(files, "the library", lib.FileName);
  if (dynamic_cast<const TWilImages*>(&lib)) {
    AddIfFound(files, "the library index", TWilImages::IndexFileName(lib.FileName));
  }
  return files;
}

std::vector<InputFile> LibraryInputs(LibrarySet& libs) {
  std::vector<InputFile> files = LibraryInputs(libs.Tiles());
  for (InputFile& f : LibraryInputs(libs.SmTiles())) files.push_back(std::move(f));
  for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot) {
    for (InputFile& f : LibraryInputs(libs.ObjectSlotLibrary(slot))) files.push_back(std::move(f));
  }
  return files;
}

std::string OutputProblem(const std::string& out, const std::vector<InputFile>& inputs) {
  // A name that leads to no regular file yet (a new file, a pipe, a device) replaces nothing.
  const auto target = RegularFileIdentity(out);
  if (!target) return {};
  for (const InputFile& in : inputs) {
    if (RegularFileIdentity(in.Path) == target) {
      return "'" + out + "' is " + in.What + " '" + in.Path +
             "' that this command reads; writing there would replace it, so nothing was "
             "written (choose another output file)";
    }
  }
  return {};
}

}  // namespace hl::cli

#include <filesystem>
#include <memory>
#include <ostream>

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

void WarnOfMissingLibraries(LibrarySet& libs, const std::string& folder, std::ostream& err) {
  const std::string ext = libs.Format() == LibraryFormat::Wil ? ".wil" : ".Data";
  std::error_code ec;
  std::string where =
      std::filesystem::absolute(folder.empty() ? "." : folder, ec).lexically_normal().string();
  while (where.size() > 1 && where.back() == '/') where.pop_back();
  auto warn = [&](std::string_view kind, const std::string& names, std::string_view leftOut) {
    err << "hlmap: no " << kind << " library opened in " << where << " (looked for " << names
        << " in any letter case): " << leftOut << " left out\n";
  };
  if (!libs.Tiles().Initialized) warn("tile", "Tiles" + ext, "big tiles are");
  if (!libs.SmTiles().Initialized) warn("small-tile", "SmTiles" + ext, "small tiles and marks are");
  bool anyObjects = false;
  for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot)
    anyObjects = anyObjects || libs.ObjectSlotLibrary(slot).Initialized;
  if (!anyObjects) {
    warn("object",
         LibrarySet::ObjectLibraryName(0) + ext + ", " + LibrarySet::ObjectLibraryName(1) + ext +
             " ... " + LibrarySet::ObjectLibraryName(LibrarySet::kObjectSlots - 1) + ext,
         "objects are");
  }
}

}  // namespace hl::cli

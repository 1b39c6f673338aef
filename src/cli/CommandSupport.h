#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/EditScript.h"
#include "cli/Command.h"
#include "images/LibrarySet.h"
#include "util/SaveResult.h"

namespace hl::cli {

// The PNG compression option of the commands that write PNG pictures, and the level it chose.
Option PngLevelOption();
int PngLevelOf(const Invocation& inv);

// Names on `err` each kind of library of which none opened in `folder`: a picture without its
// tiles or objects should not pass unexplained. It stays no error, as in the editor, and
// scripts rely on the exit code.
void WarnOfMissingLibraries(LibrarySet& libs, const std::string& folder, std::ostream& err);

// What the pickers would offer with the libraries found; no library found leaves the limits of
// the cell fields.
SelectionLimits LimitsOf(LibrarySet& libs);

// A file a command reads, with what it is to the user ("the map", "the library").
struct InputFile {
  const char* What;
  std::string Path;
};
// The files of one library, or of every library of a set, that exist and are read: the library
// and, for .wil, its index.
std::vector<InputFile> LibraryInputs(const TGameImages& lib);
std::vector<InputFile> LibraryInputs(LibrarySet& libs);
// Why OUT must not be written: it is one of the inputs (the same device and inode, whatever
// name, link or letter case led there), which writing would replace. Empty when it is none.
std::string OutputProblem(const std::string& out, const std::vector<InputFile>& inputs);

// Draws the demo art and writes its four libraries into dir: "data", "wil" or "both" formats.
// Each library written is named on `out` with its image count.
SaveResult WriteDemoLibraries(const std::string& dir, const std::string& format, std::ostream& out);

}  // namespace hl::cli

#pragma once

#include <iosfwd>
#include <string>

#include "app/EditScript.h"
#include "cli/Command.h"
#include "images/LibrarySet.h"
#include "util/SaveResult.h"

namespace hl::cli {

// The PNG compression option of the commands that write PNG pictures, and the level it chose.
Option PngLevelOption();
int PngLevelOf(const Invocation& inv);

// What the pickers would offer with the libraries found; no library found leaves the limits of
// the cell fields.
SelectionLimits LimitsOf(LibrarySet& libs);

// Draws the demo art and writes its four libraries into dir: "data", "wil" or "both" formats.
// Each library written is named on `out` with its image count.
SaveResult WriteDemoLibraries(const std::string& dir, const std::string& format, std::ostream& out);

}  // namespace hl::cli

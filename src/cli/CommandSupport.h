#pragma once

#include <iosfwd>
#include <string>

#include "app/EditScript.h"
#include "images/LibrarySet.h"

namespace hl::cli {

// What the pickers would offer with the libraries found; no library found leaves the limits of
// the cell fields.
SelectionLimits LimitsOf(LibrarySet& libs);

// Draws the demo art and writes its four libraries into dir: "data", "wil" or "both" formats.
// Each library written is named on `out` with its image count.
bool WriteDemoLibraries(const std::string& dir, const std::string& format, std::ostream& out,
                        std::string* error);

}  // namespace hl::cli

#pragma once

#include <iosfwd>
#include <string>

#include "cli/Command.h"
#include "map/MapDocument.h"
#include "tools/MapDiff.h"

namespace hl::cli {

// Draws diff's picture of the map after the change into OUT. Gives the exit code of a
// failure, or 0.
using DiffPictureWriter = int (*)(const Invocation& inv, MapDocument& after, const MapDiff& diff,
                                  const std::string& out, std::ostream& err);

// diff's whole run; without a writer a --png hands the command line over (Invocation::HandOver).
int RunDiffWith(const Invocation& inv, std::ostream& out, std::ostream& err,
                DiffPictureWriter picture);

// The command as both programs describe it, with the given code.
Command DiffCommandRunning(int (*run)(const Invocation&, std::ostream&, std::ostream&));

}  // namespace hl::cli

#pragma once

#include <string>
#include <vector>

#include "images/LibrarySet.h"

namespace hl::bench {

// Writes a segment project IDENT.mp of cols x rows segments into `folder`, which holds the demo
// world's libraries (`libraries`, opened from it): every segment different, big tiles on all
// even cells, small tiles on half the cells, one cell in twenty with an object of either object
// library (houses and fences among them, reaching over segment borders). Written straight,
// without the safe writer's syncs, which would cost more than everything measured.
void WriteBenchWorld(const std::string& folder, const std::string& ident, int cols, int rows,
                     LibrarySet& libraries);

// Runs a program and waits for it; its peak resident set in KiB, or -1 when it failed.
long RunAndMeasure(const std::vector<std::string>& argv);

}  // namespace hl::bench

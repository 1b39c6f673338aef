#pragma once

#include <string>

namespace hl::bench {

// Writes the demo art as Data libraries (method 3) into `folder`: what the view and painting
// benchmarks draw.
void WriteDemoLibraries(const std::string& folder);

// Runs the registered benchmarks inside a GUI application on the offscreen platform (text and
// pictures need one).
int RunWithGui(int argc, char** argv);

}  // namespace hl::bench

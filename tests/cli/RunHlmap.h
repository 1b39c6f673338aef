#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/Hlmap.h"

namespace hl::test {

struct HlmapResult {
  int Code;
  std::string Out;
  std::string Err;
};

// hlmap with these words, its output caught.
inline HlmapResult Hlmap(std::vector<std::string> args) {
  std::ostringstream out, err;
  HlmapProgram program;
  program.Commands = cli::AllCommands();
  const int code = RunHlmap(args, program, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace hl::test

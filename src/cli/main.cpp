#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/Hlmap.h"
#include "util/FileSizeSignal.h"

namespace {

// hlmap-draw, beside this program.
std::string DrawingProgram() {
  std::string self(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= self.size()) return "hlmap-draw";
  self.resize(static_cast<std::size_t>(length));
  return self.substr(0, self.rfind('/') + 1) + "hlmap-draw";
}

}  // namespace

// hlmap runs the commands without pictures itself and starts without Qt: most commands read
// and write a map in less time than loading QtGui and starting a GUI application would take.
// The commands that read or draw pictures run in hlmap-draw, which this program becomes.
int main(int argc, char** argv) {
  hl::IgnoreFileSizeSignal();
  hl::HlmapProgram program;
  program.Commands = hl::cli::CoreCommands();
  for (hl::cli::Command& c : hl::cli::DrawingCommandNames()) program.Commands.push_back(c);
  program.HandOver = [argv](std::span<const std::string>) -> std::optional<int> {
    const std::string drawing = DrawingProgram();
    std::cout.flush();
    ::execvp(drawing.c_str(), argv);
    std::cerr << "hlmap: cannot run '" << drawing << "': " << std::strerror(errno) << "\n";
    return std::nullopt;
  };
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return hl::RunHlmap(args, program, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "hlmap: out of memory\n";
    return 1;
  }
}

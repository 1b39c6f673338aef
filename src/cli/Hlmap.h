#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace hl {

// A program of `hlmap`: the commands it has, and what it does around them.
struct HlmapProgram {
  // In the order of the help.
  std::vector<cli::Command> Commands;
  // Runs the whole command line (the words after the program name) in the program that has
  // the code of a command this one knows by name only. Gives the exit code, or nothing when
  // that program could not be started (the reason is on err).
  std::function<std::optional<int>(std::span<const std::string> args)> HandOver;
  // What Invocation::StartFonts does in this program.
  std::function<void()> StartFonts;
  // What Invocation::ErrIsTerminal says.
  bool ErrIsTerminal = false;
};

// The help texts, which `hlmap --help`, `hlmap COMMAND --help` and the manual pages share.
std::string GeneralHelpText();
void PrintGeneralHelp(std::span<const cli::Command> commands, std::ostream& out);
void PrintCommandHelp(const cli::Command& c, std::ostream& out);
// An option as the help shows it: "--format wil|data", "--libs DIR", "--json".
std::string OptionWords(const cli::Option& o);

// The whole of `hlmap`: args are the words after the program name. Returns the exit code:
// 0 success, 1 failure (one "hlmap: " line on err), 2 usage error.
int RunHlmap(std::span<const std::string> args, const HlmapProgram& program, std::ostream& out,
             std::ostream& err);

}  // namespace hl

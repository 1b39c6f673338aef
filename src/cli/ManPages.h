#pragma once

#include <span>
#include <string>

#include "cli/Command.h"

namespace hl::cli {

// The manual pages and the bash completion of hlmap, made from the same command table and help
// texts as `hlmap --help`, so that they never disagree with it.

// hlmap(1): the general help and every command's synopsis.
std::string MainManPage(std::span<const Command> commands, std::string_view version);
// hlmap-COMMAND(1): the command's synopsis, help and options.
std::string CommandManPage(const Command& command, std::string_view version);
// A bash completion script: commands after `hlmap`, then the command's options, the choices
// of an option that has them, and file names.
std::string BashCompletion(std::span<const Command> commands);

}  // namespace hl::cli

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "map/LibraryFormat.h"

namespace hl {
class MapDocument;
}

namespace hl::cli {

// What the words after a command name parsed into.
struct Invocation {
  std::vector<std::string> Positional;
  std::map<std::string, std::string, std::less<>> Values;  // options with a value
  std::set<std::string, std::less<>> Flags;                // options without one
  // Makes text drawable (a GUI application with its fonts) for a command whose picture will
  // hold text; null where text can be drawn already. Nothing else a command draws needs it.
  std::function<void()> StartFonts;
  // Runs the whole command line in the program that draws pictures, for a command that can do
  // without them unless asked (diff --png). Gives that program's exit code, or nothing when it
  // could not be started (the reason is on standard error). Null in the program that draws.
  std::function<std::optional<int>()> HandOver;
  // Standard error is a terminal: long commands may show their progress on it.
  bool ErrIsTerminal = false;

  bool Has(std::string_view flag) const { return Flags.contains(flag); }
  std::string Value(std::string_view option, std::string fallback = {}) const {
    auto it = Values.find(option);
    return it == Values.end() ? fallback : it->second;
  }
};

struct Option {
  std::string_view Name;
  std::vector<std::string_view> Choices;  // empty: a flag, unless FreeValue
  std::string_view Help;
  bool FreeValue = false;           // takes any value; the command checks it
  std::string_view ValueName = {};  // shown in the help for a free value
};

struct Command {
  std::string_view Name;
  std::string_view Synopsis;
  std::string_view Help;
  std::vector<Option> Options;
  std::size_t MinArgs;
  std::size_t MaxArgs;  // SIZE_MAX: any number
  // Null for a command this program knows by name only: another program runs it.
  int (*Run)(const Invocation&, std::ostream& out, std::ostream& err);
  // The exit code for trouble (a file that cannot be used, a failure): 1 for most commands;
  // 2 for those whose 1 says something else (diff: the maps differ; check: errors found).
  int TroubleCode = 1;
};

// Prints "hlmap: MESSAGE" and gives the failure exit code.
int Failure(std::ostream& err, const std::string& message);
// Prints "hlmap: MESSAGE" and gives 2, the trouble code of diff and check.
int Trouble(std::ostream& err, const std::string& message);
// Prints the message with the command's synopsis and gives the usage exit code.
int UsageError(std::ostream& err, std::string_view message, std::string_view synopsis);

// Saves the map as the editor saves it (object library 7 moves to library 6) and reports on
// `err` the cells that have to stay in library 7. Returns the exit code: 0, or 1 when the file
// could not be written.
int SaveMapAs(MapDocument& doc, const std::string& path, std::uint8_t mapBitCount,
              std::ostream& err);

// The library format option every command that saves a map takes.
Option FormatOption();
// The --format option's library format (data unless wil was chosen) and its MapBitCount.
LibraryFormat FormatOf(const Invocation& inv);
std::uint8_t BitCountOf(const Invocation& inv);

// The commands without pictures, which hlmap runs itself (no Qt).
std::vector<Command> CoreCommands();
// The commands that read or draw pictures (QtGui), which hlmap-draw runs.
std::vector<Command> DrawingCommands();
// The drawing commands as hlmap knows them: name and synopsis, no Run.
std::vector<Command> DrawingCommandNames();
// Core and drawing commands with their code, in the order of the help.
std::vector<Command> AllCommands();

std::vector<Command> MapCommands();
std::vector<Command> LibraryCommands();
std::vector<Command> ViewCommands();
std::vector<Command> ApplyCommands();
std::vector<Command> SetCommands();
std::vector<Command> SegmentCommands();
std::vector<Command> DemoWorldCommands();
std::vector<Command> CheckCommands();
// diff as hlmap runs it: --png hands the command line to hlmap-draw.
Command DiffCommand();
// diff with its picture, as hlmap-draw runs it.
Command DiffCommandWithPicture();
std::vector<Command> TmxCommands();
std::vector<Command> WorldInfoCommands();
std::vector<Command> WorldRenderCommands();

}  // namespace hl::cli

#include "cli/Hlmap.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "cli/Command.h"
#include "map/MapFile.h"

namespace hl {

namespace cli {

int Failure(std::ostream& err, const std::string& message) {
  err << "hlmap: " << message << "\n";
  return 1;
}

int Trouble(std::ostream& err, const std::string& message) {
  err << "hlmap: " << message << "\n";
  return 2;
}

int UsageError(std::ostream& err, std::string_view message, std::string_view synopsis) {
  err << "hlmap: " << message << "\n"
      << "usage: " << synopsis << "\n"
      << "Try 'hlmap --help' for more information.\n";
  return 2;
}

Option FormatOption() {
  return {"--format",
          {"wil", "data"},
          "library format: data (default, MapBitCount 16) or wil (MapBitCount 0)"};
}

int SaveMapAs(MapDocument& doc, const std::string& path, std::uint8_t mapBitCount,
              std::ostream& err) {
  SaveMapReport report;
  if (const SaveResult saved = SaveMap(doc, path, mapBitCount, &report); !saved) {
    return Failure(err, saved.Message());
  }
  if (const int kept = report.KeptInLibrary7; kept > 0) {
    err << "hlmap: " << path << ": " << kept << (kept == 1 ? " cell" : " cells")
        << " of object library 7 cannot be expressed in library 6 and stay in library 7\n";
  }
  return 0;
}

LibraryFormat FormatOf(const Invocation& inv) {
  return ParseLibraryFormat(inv.Value("--format")).value_or(LibraryFormat::Data);
}

std::uint8_t BitCountOf(const Invocation& inv) {
  return MapBitCountOf(FormatOf(inv));
}

std::vector<Command> CoreCommands() {
  std::vector<Command> all = MapCommands();
  for (Command& c : SetCommands()) all.push_back(std::move(c));
  for (Command& c : SegmentCommands()) all.push_back(std::move(c));
  all.push_back(DiffCommand());
  for (Command& c : CheckCommands()) all.push_back(std::move(c));
  for (Command& c : WorldInfoCommands()) all.push_back(std::move(c));
  return all;
}

}  // namespace cli

using cli::Command;
using cli::Invocation;
using cli::Option;

std::string OptionWords(const Option& o) {
  std::string words(o.Name);
  if (o.FreeValue) {
    words += ' ';
    words += o.ValueName;
  } else if (!o.Choices.empty()) {
    words += ' ';
    for (std::size_t i = 0; i < o.Choices.size(); ++i) {
      if (i > 0) words += '|';
      words += o.Choices[i];
    }
  }
  return words;
}

void PrintCommandHelp(const Command& c, std::ostream& out) {
  out << "usage: " << c.Synopsis << "\n\n" << c.Help;
  if (c.Options.empty()) return;
  out << "\noptions:\n";
  for (const Option& o : c.Options) {
    const std::string left = "  " + OptionWords(o);
    out << left;
    out << std::string(left.size() < 24 ? 24 - left.size() : 1, ' ') << o.Help << "\n";
  }
}

std::string GeneralHelpText() {
  return "Works on Harbourlight maps and image libraries from the command line, with the\n"
         "editor's own code. Exit status: 0 success, 1 failure, 2 usage error; diff and\n"
         "check differ, as diff(1) does: diff exits 0 when the maps are equal, 1 when they\n"
         "differ, check 0 when it found no error, 1 when it did, and both 2 on trouble.\n";
}

void PrintGeneralHelp(std::span<const Command> commands, std::ostream& out) {
  out << "usage: hlmap COMMAND ARGS...\n\n" << GeneralHelpText() << "\ncommands:\n";
  for (const Command& c : commands) out << "  " << c.Synopsis << "\n";
  out << "\nRun 'hlmap COMMAND --help' for the details of one command.\n";
}

namespace {

const Option* FindOption(const Command& c, std::string_view name) {
  auto it = std::find_if(c.Options.begin(), c.Options.end(),
                         [&](const Option& o) { return o.Name == name; });
  return it == c.Options.end() ? nullptr : &*it;
}

// Returns the exit code of a usage error, or nothing when the words parse.
std::optional<int> Parse(const Command& c, std::span<const std::string> words, Invocation& inv,
                         std::ostream& err) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    // A dash before a digit is a negative number, not an option.
    if (optionsEnded || w.size() < 2 || w[0] != '-' ||
        std::isdigit(static_cast<unsigned char>(w[1]))) {
      inv.Positional.push_back(w);
      continue;
    }
    if (w == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = w;
    std::optional<std::string> value;
    if (auto eq = w.find('='); eq != std::string::npos) {
      name = w.substr(0, eq);
      value = w.substr(eq + 1);
    }
    const Option* option = FindOption(c, name);
    if (!option) {
      return cli::UsageError(err, "unknown option '" + name + "' for " + std::string(c.Name),
                             c.Synopsis);
    }
    if (option->Choices.empty() && !option->FreeValue) {
      if (value) return cli::UsageError(err, "option '" + name + "' takes no value", c.Synopsis);
      inv.Flags.insert(name);
      continue;
    }
    if (!value) {
      if (i + 1 >= words.size()) {
        return cli::UsageError(err, "option '" + name + "' needs a value", c.Synopsis);
      }
      value = words[++i];
    }
    if (!option->FreeValue && std::find(option->Choices.begin(), option->Choices.end(), *value) ==
                                  option->Choices.end()) {
      return cli::UsageError(err, "'" + *value + "' is not a choice of " + name, c.Synopsis);
    }
    inv.Values[name] = *value;
  }
  if (inv.Positional.size() < c.MinArgs || inv.Positional.size() > c.MaxArgs) {
    return cli::UsageError(err, "wrong number of arguments for " + std::string(c.Name), c.Synopsis);
  }
  return std::nullopt;
}

bool AsksForHelp(std::span<const std::string> words) {
  for (const std::string& w : words) {
    if (w == "--") return false;
    if (w == "--help" || w == "-h") return true;
  }
  return false;
}

}  // namespace

int RunHlmap(std::span<const std::string> args, const HlmapProgram& program, std::ostream& out,
             std::ostream& err) {
  const std::vector<Command>& commands = program.Commands;
  if (args.empty()) {
    PrintGeneralHelp(commands, err);
    return 2;
  }
  const std::string& name = args[0];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintGeneralHelp(commands, out);
    return 0;
  }
  auto it = std::find_if(commands.begin(), commands.end(),
                         [&](const Command& c) { return c.Name == name; });
  if (it == commands.end()) {
    return cli::UsageError(err, "unknown command '" + name + "'", "hlmap COMMAND ARGS...");
  }
  if (!it->Run) {
    if (!program.HandOver) return cli::Failure(err, "'" + name + "' cannot run here");
    return program.HandOver(args).value_or(it->TroubleCode);
  }
  const auto words = args.subspan(1);
  if (AsksForHelp(words)) {
    PrintCommandHelp(*it, out);
    return 0;
  }
  Invocation inv;
  if (auto usage = Parse(*it, words, inv, err)) return *usage;
  inv.StartFonts = program.StartFonts;
  if (program.HandOver) inv.HandOver = [&] { return program.HandOver(args); };
  inv.ErrIsTerminal = program.ErrIsTerminal;
  try {
    return it->Run(inv, out, err);
  } catch (const std::exception& e) {
    err << "hlmap: " << e.what() << "\n";
    return it->TroubleCode;
  }
}

}  // namespace hl

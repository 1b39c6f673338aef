#include "cli/Hlmap.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "cli/MapInfo.h"
#include "map/MapDocument.h"
#include "map/MapFile.h"
#include "map/OldFormat.h"

namespace hl {

namespace {

struct Invocation {
  std::vector<std::string> Positional;
  std::map<std::string, std::string, std::less<>> Options;
};

struct Command {
  std::string_view Name;
  std::string_view Synopsis;
  std::string_view Help;
  std::vector<std::string_view> ValueOptions;  // options that take one value
  std::size_t MinArgs;
  std::size_t MaxArgs;  // SIZE_MAX: any number
  int (*Run)(const Invocation&, std::ostream& out, std::ostream& err);
};

constexpr std::string_view kFormatHelp =
    "  --format wil|data   library format the map is saved for: data (default) writes\n"
    "                      MapBitCount 16, wil writes 0\n";

int UsageError(std::ostream& err, std::string_view message, std::string_view usage) {
  err << "hlmap: " << message << "\n"
      << "usage: " << usage << "\n"
      << "Try 'hlmap --help' for more information.\n";
  return 2;
}

int Failure(std::ostream& err, const std::string& message) {
  err << "hlmap: " << message << "\n";
  return 1;
}

// Parsed earlier, so the value is known to be valid here.
std::uint8_t BitCountOf(const Invocation& inv) {
  auto it = inv.Options.find("--format");
  return it != inv.Options.end() && it->second == "wil" ? kBitCountWil : kBitCountData;
}

int RunInfo(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const std::string& path = inv.Positional[0];
  auto doc = std::make_unique<MapDocument>();
  TMapHeader header;
  if (!LoadMap(*doc, path, &header)) return Failure(err, "cannot load map '" + path + "'");
  out << MapInfoJson(header, *doc) << "\n";
  return 0;
}

void ReportKeptLibrary7(std::ostream& err, const std::string& path, int kept) {
  if (kept == 0) return;
  err << "hlmap: " << path << ": " << kept << (kept == 1 ? " cell" : " cells")
      << " of object library 7 cannot be expressed in library 6 and stay in library 7\n";
}

int RunSaveAs(const Invocation& inv, std::ostream&, std::ostream& err) {
  const std::string& in = inv.Positional[0];
  const std::string& outPath = inv.Positional[1];
  auto doc = std::make_unique<MapDocument>();
  if (!LoadMap(*doc, in, nullptr)) return Failure(err, "cannot load map '" + in + "'");
  SaveMapReport report;
  if (!SaveMap(*doc, outPath, BitCountOf(inv), &report)) {
    return Failure(err, "cannot save map '" + outPath + "'");
  }
  ReportKeptLibrary7(err, outPath, report.KeptInLibrary7);
  return 0;
}

int RunConvertOld(const Invocation& inv, std::ostream& out, std::ostream& err) {
  int notConverted = 0;
  ConvertOldFiles(inv.Positional, BitCountOf(inv),
                  [&](const std::string& file, BatchOutcome outcome) {
                    switch (outcome) {
                      case BatchOutcome::Converted:
                        out << "converted " << file << "\n";
                        break;
                      case BatchOutcome::Skipped:
                        out << "skipped " << file << "\n";
                        break;
                      case BatchOutcome::Failed:
                        out << "failed " << file << "\n";
                        break;
                    }
                    if (outcome != BatchOutcome::Converted) ++notConverted;
                  });
  out << "Conversion is complete!\n";
  if (notConverted > 0) {
    return Failure(err, std::to_string(notConverted) + " of " +
                            std::to_string(inv.Positional.size()) + " files were not converted");
  }
  return 0;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"info",
       "hlmap info MAP",
       "Prints the size, title, bit count and content counts of a map file as one line of\n"
       "JSON. Cells are counted over the width x height in use.\n",
       {},
       1,
       1,
       RunInfo},
      {"save-as",
       "hlmap save-as IN OUT [--format wil|data]",
       "Loads the map IN and saves it as OUT, the way the editor saves: object library 7\n"
       "moves to library 6. An existing OUT is replaced only once the new file is complete.\n",
       {"--format"},
       2,
       2,
       RunSaveAs},
      {"convert-old",
       "hlmap convert-old [--format wil|data] FILE...",
       "Converts maps of the older layout in place, in the given order: every object then\n"
       "refers to library 0 and FrontMark is cleared. Prints 'converted FILE', 'skipped FILE'\n"
       "(it did not load) or 'failed FILE' (it did not save) for each, then\n"
       "'Conversion is complete!'. Exits with 1 when any file was not converted.\n",
       {"--format"},
       1,
       SIZE_MAX,
       RunConvertOld},
  };
  return commands;
}

void PrintCommandHelp(const Command& c, std::ostream& out) {
  out << "usage: " << c.Synopsis << "\n\n" << c.Help;
  if (std::find(c.ValueOptions.begin(), c.ValueOptions.end(), "--format") != c.ValueOptions.end()) {
    out << "\noptions:\n" << kFormatHelp;
  }
}

void PrintGeneralHelp(std::ostream& out) {
  out << "usage: hlmap COMMAND ARGS...\n\n"
         "Works on Harbourlight map files from the command line, with the editor's own code.\n"
         "Exit status: 0 success, 1 failure, 2 usage error.\n\ncommands:\n";
  for (const Command& c : Commands()) out << "  " << c.Synopsis << "\n";
  out << "\nRun 'hlmap COMMAND --help' for the details of one command.\n";
}

// Returns the exit code of a usage error, or nothing when the words parse.
std::optional<int> Parse(const Command& c, std::span<const std::string> words, Invocation& inv,
                         std::ostream& err) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (optionsEnded || w.size() < 2 || w[0] != '-') {
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
    if (std::find(c.ValueOptions.begin(), c.ValueOptions.end(), name) == c.ValueOptions.end()) {
      return UsageError(err, "unknown option '" + name + "' for " + std::string(c.Name),
                        c.Synopsis);
    }
    if (!value) {
      if (i + 1 >= words.size()) {
        return UsageError(err, "option '" + name + "' needs a value", c.Synopsis);
      }
      value = words[++i];
    }
    if (name == "--format" && *value != "wil" && *value != "data") {
      return UsageError(err, "--format takes wil or data, not '" + *value + "'", c.Synopsis);
    }
    inv.Options[name] = *value;
  }
  if (inv.Positional.size() < c.MinArgs || inv.Positional.size() > c.MaxArgs) {
    return UsageError(err, "wrong number of arguments for " + std::string(c.Name), c.Synopsis);
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

int RunHlmap(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    PrintGeneralHelp(err);
    return 2;
  }
  const std::string& name = args[0];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintGeneralHelp(out);
    return 0;
  }
  auto it = std::find_if(Commands().begin(), Commands().end(),
                         [&](const Command& c) { return c.Name == name; });
  if (it == Commands().end()) {
    return UsageError(err, "unknown command '" + name + "'", "hlmap COMMAND ARGS...");
  }
  const auto words = args.subspan(1);
  if (AsksForHelp(words)) {
    PrintCommandHelp(*it, out);
    return 0;
  }
  Invocation inv;
  if (auto usage = Parse(*it, words, inv, err)) return *usage;
  return it->Run(inv, out, err);
}

}  // namespace hl

#include <fstream>
#include <iostream>
#include <memory>
#include <ostream>
#include <random>

#include "app/EditScript.h"
#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/DrawingCommandNames.h"
#include "images/LibrarySet.h"
#include "map/MapFile.h"
#include "tools/PickerRules.h"
#include "util/TextHelpers.h"

namespace hl::cli {

namespace {

constexpr std::string_view kSynopsis = kApplySynopsis;

int RunApply(const Invocation& inv, std::ostream&, std::ostream& err) {
  const std::string& source = inv.Positional[0];
  auto doc = std::make_unique<MapDocument>();
  if (source.rfind("new:", 0) == 0) {
    const std::string size = source.substr(4);
    const auto x = size.find('x');
    int w = 0, h = 0;
    try {
      w = x == std::string::npos ? 0 : std::stoi(size.substr(0, x));
      h = x == std::string::npos ? 0 : std::stoi(size.substr(x + 1));
    } catch (const std::exception&) {
      w = h = 0;
    }
    if (w < 1 || h < 1 || w > kMaxMapSide || h > kMaxMapSide) {
      return UsageError(err, "new:WxH takes sizes 1 to " + std::to_string(kMaxMapSide), kSynopsis);
    }
    doc->SetMapSize(w, h);
  } else if (const LoadResult read = LoadMap(*doc, source); !read) {
    return Failure(err, read.Message());
  } else if (!read.Warning().empty()) {
    err << "hlmap: " << read.Warning() << "\n";
  }

  std::uint32_t seed = std::random_device{}();
  if (const std::string s = inv.Value("--seed"); !s.empty()) {
    if (s.find_first_not_of("0123456789") != std::string::npos || s.size() > 9) {
      return UsageError(err, "--seed takes a number", kSynopsis);
    }
    seed = static_cast<std::uint32_t>(std::stoul(s));
  }
  LibrarySet libs;
  libs.Open(FormatOf(inv), inv.Value("--libs"));

  EditScript script(*doc, BitCountOf(inv), seed, LimitsOf(libs));
  std::optional<ScriptError> error;
  const std::string file = inv.Value("--script");
  if (file.empty()) {
    error = script.Run(std::cin);
  } else {
    std::ifstream in(file);
    if (!in) return Failure(err, "cannot read script '" + file + "'");
    // Set files named in a script file are found beside it.
    script.SetSetFolder(DirectoryPart(file));
    error = script.Run(in);
  }
  if (error) {
    err << "hlmap: line " << error->Line << ": " << error->Message << "\n";
    return 2;
  }
  return SaveMapAs(*doc, inv.Positional[1], BitCountOf(inv), err);
}

}  // namespace

SelectionLimits LimitsOf(LibrarySet& libs) {
  SelectionLimits limits;
  if (libs.Tiles().ImageCount > 0) {
    limits.Tiles = libs.Tiles().ImageCount;
    limits.BigTileGroups = pickers::BigTileGroups(libs.Tiles().ImageCount);
  }
  if (libs.SmTiles().ImageCount > 0) {
    limits.SmallTileGroups = pickers::SmallTileGroups(libs.SmTiles().ImageCount);
  }
  bool anyObjects = false;
  for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot) {
    anyObjects = anyObjects || libs.ObjectSlotLibrary(slot).ImageCount > 0;
  }
  if (anyObjects) {
    for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot) {
      limits.ObjectImages[slot] = libs.ObjectSlotLibrary(slot).ImageCount;
    }
  }
  return limits;
}

std::vector<Command> ApplyCommands() {
  // The script's verbs come from the script reader's own table, so a new verb shows here.
  static const std::string help =
      "Loads MAP (or starts an empty W x H map), runs an edit script through the same\n"
      "dispatch as the map view's mouse, then saves OUT. The script comes from --script\n"
      "or standard input, one command a line (# starts a comment):\n" +
      EditScript::VerbHelp() +
      "Undo steps are as in the editor: a stroke opens at a press or press-px line and ends\n"
      "before the next line (blank lines and comments aside) that is not a drag; a drag with\n"
      "no open stroke opens one, and a press-rect line is one step. undo and redo end the open\n"
      "stroke first, so press, undo, drag takes back the press and the drag starts anew.\n"
      "A line that cannot run stops the script: exit 2 with its number. --seed fixes the\n"
      "random full variants, so a script rebuilds the same map.\n\n" +
      EditScript::WorkHelp();
  return {{"apply",
           kSynopsis,
           help,
           {{"--format", {"wil", "data"}, "library format (default data)"},
            {"--libs", {}, "folder of the image libraries (default: here)", true, "DIR"},
            {"--seed", {}, "seed of the random variants", true, "N"},
            {"--script", {}, "script file (default: standard input)", true, "FILE"}},
           2,
           2,
           RunApply}};
}

}  // namespace hl::cli

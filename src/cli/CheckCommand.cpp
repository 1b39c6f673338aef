#include <memory>
#include <ostream>

#include "app/MapCheck.h"
#include "cli/Command.h"
#include "images/codec/LibraryCount.h"
#include "map/MapFile.h"
#include "util/TextHelpers.h"

namespace hl::cli {

namespace {

constexpr std::string_view kCheckSynopsis =
    "hlmap check MAP|PROJECT.mp [--json] [--format wil|data] [--libs DIR]";

bool IsProjectName(const std::string& path) {
  return path.size() > 3 && (path.ends_with(".mp") || path.ends_with(".MP") ||
                             path.ends_with(".Mp") || path.ends_with(".mP"));
}

LibraryCounts CountLibraries(const Invocation& inv) {
  LibraryCounts counts;
  counts.Format = FormatOf(inv);
  std::string folder = inv.Value("--libs");
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const std::string ext(LibraryExtension(counts.Format));
  counts.Tiles = LibraryImageCount(folder + "Tiles" + ext, counts.Format);
  counts.SmTiles = LibraryImageCount(folder + "SmTiles" + ext, counts.Format);
  for (int slot = 0; slot < kObjectLibraries; ++slot) {
    counts.Objects[static_cast<std::size_t>(slot)] =
        LibraryImageCount(folder + ObjectLibraryName(slot) + ext, counts.Format);
  }
  return counts;
}

int RunCheck(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const std::string& path = inv.Positional[0];
  const LibraryCounts libraries = CountLibraries(inv);
  CheckReport report;
  if (IsProjectName(path)) {
    SegmentProject project;
    std::string why;
    switch (ReadProject(path, project, &why)) {
      case ProjectRead::Read:
        break;
      case ProjectRead::Missing:
        return Trouble(err, FileReadFailure(path).Message());
      case ProjectRead::Refused:
        return Trouble(err, "cannot open '" + path + "': " + why);
    }
    CheckProject(DirectoryPart(path), project, libraries, report);
  } else {
    auto doc = std::make_unique<MapDocument>();
    const LoadResult read = LoadMap(*doc, path);
    if (!read) return Trouble(err, read.Message());
    if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
    CheckCells(*doc, doc->MapWidth(), doc->MapHeight(), libraries, report);
  }
  out << (inv.Has("--json") ? CheckJson(report) + "\n" : CheckText(report));
  return report.Errors() > 0 ? 1 : 0;
}

}  // namespace

std::vector<Command> CheckCommands() {
  return {{"check",
           kCheckSynopsis,
           "Checks a map, or every segment of a project, against the libraries in --libs\n"
           "(default: here) and prints what it finds, one line each: the severity, the rule,\n"
           "the cell or segment and a message. Errors: an object whose library has no file or\n"
           "no such image (missing-library, missing-object-image), a big or small tile beyond\n"
           "its library's last image (tile-beyond-library); in a project, a segment file\n"
           "shorter than 19,252 bytes (short-segment) or whose header is not 40 x 40\n"
           "(segment-header), or one that cannot be read (unreadable-segment). Warnings: a\n"
           "2 x 2 block whose cells hold different big tiles (split-big-tile), an object a save\n"
           "keeps in library 7 (kept-in-library-7), a light above 4 (bright-light), a missing\n"
           "segment file (missing-segment). At most 1,000 findings of each rule are listed, the\n"
           "rest counted. --json prints one JSON object.\n"
           "Exits 1 when it found an error, 0 when it found none, 2 on trouble.\n",
           {{"--json", {}, "print one JSON object instead of text"},
            {"--format", {"wil", "data"}, "library format (default data)"},
            {"--libs", {}, "folder of the image libraries (default: here)", true, "DIR"}},
           1,
           1,
           RunCheck,
           2}};
}

}  // namespace hl::cli

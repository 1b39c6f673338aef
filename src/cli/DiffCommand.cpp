#include "cli/DiffCommand.h"

#include <memory>
#include <ostream>

#include "map/MapFile.h"

namespace hl::cli {

namespace {

constexpr std::string_view kDiffSynopsis =
    "hlmap diff A B [--json] [--png OUT.png] [--format wil|data] [--libs DIR] | "
    "hlmap diff --git PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE NEW-HEX NEW-MODE";

// git names a side that does not exist (an added or a deleted file) so.
constexpr char kNoFile[] = "/dev/null";

struct Side {
  std::unique_ptr<MapDocument> Doc;
  DiffSide View;
};

// One map, or none for git's empty side. False with the message printed when it cannot be used.
bool LoadSide(const std::string& path, bool gitEmptyAllowed, Side& side, std::ostream& err) {
  if (gitEmptyAllowed && path == kNoFile) return true;
  side.Doc = std::make_unique<MapDocument>();
  const LoadResult read = LoadMap(*side.Doc, path);
  if (!read) {
    err << "hlmap: " << read.Message() << "\n";
    return false;
  }
  if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
  side.View = DiffSide::Of(*side.Doc);
  return true;
}

int RunDiffCore(const Invocation& inv, std::ostream& out, std::ostream& err) {
  return RunDiffWith(inv, out, err, nullptr);
}

}  // namespace

int RunDiffWith(const Invocation& inv, std::ostream& out, std::ostream& err,
                DiffPictureWriter picture) {
  // Trouble of any kind must not read as "the maps differ".
  try {
    const bool git = inv.Has("--git");
    const std::size_t wanted = git ? 7 : 2;
    if (inv.Positional.size() != wanted) {
      return UsageError(err,
                        git ? "diff --git takes PATH and the six words git gives after it"
                            : "diff takes two maps",
                        kDiffSynopsis);
    }
    const std::string png = inv.Value("--png");
    if (git && (inv.Has("--json") || !png.empty())) {
      return UsageError(err, "diff --git writes the text form only", kDiffSynopsis);
    }
    if (!png.empty() && !picture) {
      if (!inv.HandOver) return Trouble(err, "this program cannot draw diff's picture");
      return inv.HandOver().value_or(2);
    }
    const std::string& before = inv.Positional[git ? 1 : 0];
    const std::string& after = inv.Positional[git ? 4 : 1];
    Side a, b;
    if (!LoadSide(before, git, a, err) || !LoadSide(after, git, b, err)) return 2;
    const MapDiff diff = DiffMaps(a.View, b.View);
    if (git) {
      const std::string& path = inv.Positional[0];
      out << "hlmap diff a/" << path << " b/" << path << "\n" << DiffText(diff);
      return 0;
    }
    if (inv.Has("--json")) {
      out << DiffJson(diff) << "\n";
    } else {
      out << (diff.Equal() ? "maps are equal cell by cell\n" : DiffText(diff));
    }
    if (!png.empty()) {
      if (const int code = picture(inv, *b.Doc, diff, png, err); code != 0) return code;
    }
    return diff.Equal() ? 0 : 1;
  } catch (const std::exception& e) {
    return Trouble(err, e.what());
  }
}

Command DiffCommandRunning(int (*run)(const Invocation&, std::ostream&, std::ostream&)) {
  return {"diff",
          kDiffSynopsis,
          "Compares two maps (or two segment files) cell by cell over the larger width and the\n"
          "larger height; cells outside a map count as empty. Prints the size change, if any,\n"
          "then for each layer (ground, small, objects, attributes) how many cells changed and\n"
          "the changed areas: the rectangles around 4-connected changed cells, in row order of\n"
          "their top-left cells, at most 100 listed and the rest counted. --json prints the same\n"
          "as one JSON object. --png draws B as the map view draws it at 1/N of zoom 1, N the\n"
          "smallest whole number that keeps the picture at most 2048 pixels wide, with the\n"
          "changed cells tinted and the changed areas outlined (libraries from --libs).\n"
          "Exits 0 when the maps are equal, 1 when they differ and 2 on trouble, as diff(1).\n"
          "\n"
          "With --git it is git's external diff driver: PATH OLD-FILE OLD-HEX OLD-MODE\n"
          "NEW-FILE NEW-HEX NEW-MODE, /dev/null read as an empty map (an added or deleted\n"
          "file), the text form on standard output, exit 0 unless it fails. In .gitattributes:\n"
          "  *.map diff=hlmap\n"
          "and once per repository:\n"
          "  git config diff.hlmap.command 'hlmap diff --git'\n",
          {{"--json", {}, "print one JSON object instead of text"},
           {"--png", {}, "also draw B with the changes marked", true, "OUT.png"},
           {"--format", {"wil", "data"}, "library format of the picture (default data)"},
           {"--libs", {}, "folder of the image libraries (default: here)", true, "DIR"},
           {"--git", {}, "run as git's external diff driver"}},
          2,
          7,
          run,
          2};
}

Command DiffCommand() {
  return DiffCommandRunning(RunDiffCore);
}

}  // namespace hl::cli

#include <memory>
#include <ostream>

#include "cli/Command.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"
#include "util/TextHelpers.h"

namespace hl::cli {

namespace {

// The project and the window at COL ROW, or the exit code of what went wrong.
int OpenWindow(const Invocation& inv, std::ostream& err, SegmentWindow& window) {
  const std::string& projectFile = inv.Positional[0];
  SegmentProject project;
  std::string error;
  switch (ReadProject(projectFile, project, &error)) {
    case ProjectRead::Missing:
      return Failure(err, "cannot read the project '" + projectFile + "'");
    case ProjectRead::Refused:
      return Failure(err, error);
    case ProjectRead::Read:
      break;
  }
  const int col = StrToIntDefault(inv.Positional[1], -1);
  const int row = StrToIntDefault(inv.Positional[2], -1);
  if (col < 0 || col >= project.Cols || row < 0 || row >= project.Rows) {
    return Failure(err, "the project has segment columns 0 to " +
                            std::to_string(project.Cols - 1) + " and rows 0 to " +
                            std::to_string(project.Rows - 1));
  }
  window.ProjectDir = DirectoryPart(projectFile);
  window.PickWindow(project.Ident, project.Cols, project.Rows, col, row);
  return 0;
}

int RunSegWindow(const Invocation& inv, std::ostream&, std::ostream& err) {
  SegmentWindow window;
  if (const int code = OpenWindow(inv, err, window)) return code;
  auto doc = std::make_unique<MapDocument>();
  window.LoadSegments(*doc);
  const std::string& outPath = inv.Positional[3];
  if (const SaveResult saved = SaveMap(*doc, outPath, BitCountOf(inv)); !saved) {
    return Failure(err, saved.Message());
  }
  return 0;
}

int RunSegStore(const Invocation& inv, std::ostream&, std::ostream& err) {
  SegmentWindow window;
  if (const int code = OpenWindow(inv, err, window)) return code;
  auto doc = std::make_unique<MapDocument>();
  const std::string& in = inv.Positional[3];
  const LoadResult read = LoadMap(*doc, in, nullptr);
  if (!read) return Failure(err, read.Message());
  if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
  if (const SaveResult saved = window.SaveSegments(*doc); !saved) {
    return Failure(err, saved.Message());
  }
  return 0;
}

}  // namespace

std::vector<Command> SegmentCommands() {
  return {
      {"seg-window",
       "hlmap seg-window PROJECT.mp COL ROW OUT.map [--format wil|data]",
       "Loads the 3 x 3 window of segments whose top-left segment is at column COL and row ROW\n"
       "of the project (the .sem files beside PROJECT.mp) as one 120 x 120 map and saves it as\n"
       "OUT. Missing segment files leave their 40 x 40 blocks empty.\n",
       {FormatOption()},
       4,
       4,
       RunSegWindow},
      {"seg-store",
       "hlmap seg-store PROJECT.mp COL ROW IN.map",
       "Loads the map IN and writes its nine 40 x 40 blocks into the segment files of the window\n"
       "at column COL and row ROW of the project, cells exactly as they are. Places past the\n"
       "project's last column or row are not written.\n",
       {},
       4,
       4,
       RunSegStore},
  };
}

}  // namespace hl::cli

#include "app/SegmentCommands.h"

#include <memory>
#include <ostream>
#include <vector>

#include "app/MainCommands.h"
#include "cli/Command.h"
#include "map/MapFile.h"
#include "util/TextHelpers.h"

namespace hl::cli {

namespace {

// What the segment window would show in message boxes, kept for the error line. A window that
// loads unmodified asks nothing else.
class Messages : public WindowlessQuestions {
 public:
  std::vector<std::string> Shown;
  // The last message, or `fallback` when there was none.
  std::string Last(const std::string& fallback) const {
    return Shown.empty() ? fallback : Shown.back();
  }

  Reply AskYesNoCancel(const std::string& text) override {
    Shown.push_back(text);
    return Reply::Cancel;
  }
  void Inform(const std::string& text) override { Shown.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    Shown.push_back(text);
    return false;
  }
};

struct NoWindow : MainWindowHooks {
  void SizeView() override {}
  void Repaint() override {}
  void SetNameLabel(const std::string&) override {}
  SaveResult ExportOverview(const std::string& path) override {
    return SaveResult::CannotWrite(path, "no picture without a window");
  }
};

// The editor's segment window, without the window: its project, grid and loaded segments.
struct SegmentSession {
  explicit SegmentSession(std::uint8_t mapBitCount)
      : Main(*Doc, Asked, Window, mapBitCount), Segments(Main, *Doc, Asked, Tools, Window) {}

  std::unique_ptr<MapDocument> Doc = std::make_unique<MapDocument>();
  Messages Asked;
  NoWindow Window;
  ToolState Tools;
  MainCommands Main;
  hl::SegmentCommands Segments;
};

// Opens the project as the segment window's "Open" does and loads the window at COL ROW as
// its "Edit" does. Gives 0, or the exit code of what went wrong.
int OpenWindow(const Invocation& inv, std::ostream& err, SegmentSession& s) {
  const std::string& projectFile = inv.Positional[0];
  // The window takes a project without a folder for no project at all; here the name is
  // relative to the current folder.
  const std::string path = DirectoryPart(projectFile).empty() ? "./" + projectFile : projectFile;
  hl::SegmentCommands::Boxes boxes;
  ProjectRead read = ProjectRead::Missing;
  const bool opened = s.Segments.OpenProject(path, boxes, &read);
  if (read == ProjectRead::Missing) {
    return Failure(err, "cannot read the project '" + projectFile + "'");
  }
  if (!opened) return Failure(err, s.Asked.Last("cannot open the project '" + projectFile + "'"));
  const SegmentGrid& grid = s.Segments.Grid();
  const int col = StrToIntDefault(inv.Positional[1], -1);
  const int row = StrToIntDefault(inv.Positional[2], -1);
  if (col < 0 || col >= grid.NamedCols || row < 0 || row >= grid.NamedRows) {
    return Failure(err, "the project has segment columns 0 to " +
                            std::to_string(grid.NamedCols - 1) + " and rows 0 to " +
                            std::to_string(grid.NamedRows - 1));
  }
  s.Segments.SetOrigin(col, row);
  if (!s.Segments.EditWindow()) return Failure(err, s.Asked.Last("cannot load the segments"));
  return 0;
}

int RunSegWindow(const Invocation& inv, std::ostream&, std::ostream& err) {
  SegmentSession s(BitCountOf(inv));
  if (const int code = OpenWindow(inv, err, s)) return code;
  return SaveMapAs(*s.Doc, inv.Positional[3], BitCountOf(inv), err);
}

int RunSegStore(const Invocation& inv, std::ostream&, std::ostream& err) {
  SegmentSession s(kBitCountData);
  if (const int code = OpenWindow(inv, err, s)) return code;
  // The map takes the place of the loaded window, as if it had been edited there.
  auto& doc = s.Doc;
  const std::string& in = inv.Positional[3];
  const LoadResult read = LoadMap(*doc, in, nullptr);
  if (!read) return Failure(err, read.Message());
  if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
  // Nine segments are exactly a 120 x 120 map; any other size would store cells that are not
  // the map's (blanks past a smaller map's edge), or drop some of a larger one's.
  if (doc->MapWidth() != kWindowCells || doc->MapHeight() != kWindowCells) {
    return Failure(err, "'" + in + "' is " + std::to_string(doc->MapWidth()) + " x " +
                            std::to_string(doc->MapHeight()) + " cells; a window of segments is " +
                            std::to_string(kWindowCells) + " x " + std::to_string(kWindowCells) +
                            ", so nothing was stored");
  }
  if (!s.Segments.SaveSegs()) return Failure(err, s.Asked.Last("cannot save the segments"));
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
       "Loads the map IN, which must be 120 x 120 cells, and writes its nine 40 x 40 blocks into\n"
       "the segment files of the window at column COL and row ROW of the project, cells exactly\n"
       "as they are. Places past the project's last column or row are not written.\n",
       {},
       4,
       4,
       RunSegStore},
  };
}

}  // namespace hl::cli

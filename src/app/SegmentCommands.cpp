#include "app/SegmentCommands.h"

#include <algorithm>

#include "util/TextHelpers.h"

namespace hl {

namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string SegmentGrid::Name(int col, int row) const {
  if (col < 0 || row < 0 || col >= NamedCols || row >= NamedRows) return {};
  return SegmentName(Ident, col, row);
}

void SegmentCommands::SetOrigin(int col, int row) {
  const int oldCol = originCol_, oldRow = originRow_;
  originCol_ = std::clamp(col, 0, grid_.Cols - 1);
  originRow_ = std::clamp(row, 0, grid_.Rows - 1);
  if (originCol_ != oldCol || originRow_ != oldRow) Changed();
}

bool SegmentCommands::Fill(const std::string& ident, int cols, int rows) {
  if (cols > kMaxSegmentCount || rows > kMaxSegmentCount) {
    questions_.Inform(CountProblem(cols, rows));
    return false;
  }
  grid_.Ident = ident;
  grid_.Cols = std::max(cols, 1);
  grid_.Rows = std::max(rows, 1);
  grid_.NamedCols = std::max(cols, 0);
  grid_.NamedRows = std::max(rows, 0);
  SetOrigin(originCol_, originRow_);
  return true;
}

bool SegmentCommands::New(const std::string& ident, const std::string& colText,
                          const std::string& rowText) {
  const int cols = StrToIntDefault(colText, 0), rows = StrToIntDefault(rowText, 0);
  if (cols < 1 || rows < 1) return false;
  const std::string name = Trimmed(ident);
  if (const std::string problem = IdentProblem(name); !problem.empty()) {
    questions_.Inform(problem);
    return false;
  }
  if (!Fill(name, cols, rows)) return false;
  projectDir_.clear();
  Changed();
  return true;
}

bool SegmentCommands::SaveProject(const std::string& fileName, const std::string& ident,
                                  const std::string& colText, const std::string& rowText) {
  SegmentProject project;
  project.Ident = Trimmed(ident);
  project.Cols = StrToIntDefault(colText, 0);
  project.Rows = StrToIntDefault(rowText, 0);
  // The writer refuses such a project as well; asking first keeps the project folder as it
  // was when the boxes are at fault.
  if (const std::string problem = ProjectProblem(project); !problem.empty()) {
    questions_.Inform(problem);
    return false;
  }
  projectDir_ = DirectoryPart(fileName);
  Changed();
  if (const SaveResult saved = WriteProject(fileName, project); !saved) {
    questions_.Inform(saved.Message());
    return false;
  }
  return true;
}

bool SegmentCommands::OpenProject(const std::string& fileName, Boxes& boxes, ProjectRead* read) {
  SegmentProject project;
  std::string error;
  const ProjectRead outcome = ReadProject(fileName, project, &error);
  if (read) *read = outcome;
  switch (outcome) {
    case ProjectRead::Refused:
      questions_.Inform(error);
      return false;
    case ProjectRead::Read:
      boxes.Ident = project.Ident;
      boxes.Col = std::to_string(project.Cols);
      boxes.Row = std::to_string(project.Rows);
      break;
    case ProjectRead::Missing:
      break;
  }
  const std::string ident = Trimmed(boxes.Ident);
  if (const std::string problem = IdentProblem(ident); !problem.empty()) {
    questions_.Inform(problem);
    return false;
  }
  if (!Fill(ident, StrToIntDefault(boxes.Col, 0), StrToIntDefault(boxes.Row, 0))) return false;
  projectDir_ = DirectoryPart(fileName);
  Changed();
  return true;
}

void SegmentCommands::SetSegmentMode(bool on) {
  main_.SetSegmentMode(on);
  tools_.SegmentMode = on;
}

bool SegmentCommands::EditWindow() {
  if (projectDir_.empty()) {
    questions_.Inform(kNoProject);
    return false;
  }
  if (main_.Modified()) {
    if (main_.SegmentMode()) {
      switch (questions_.AskYesNoCancel(kEditQuestion)) {
        case Questions::Reply::Cancel:
          return false;
        case Questions::Reply::No:
          break;
        case Questions::Reply::Yes:
          if (!main_.SaveSegments()) return false;
          break;
      }
    } else if (!main_.QuerySave()) {
      return false;
    }
  }
  // The window loaded so far keeps its names until the new one is in: a refused load must
  // not leave the cells of one window under the names of another, for Save Segs to mix.
  SegmentWindow window = main_.Segments();
  window.ProjectDir = projectDir_;
  window.PickWindow(grid_.Ident, grid_.NamedCols, grid_.NamedRows, originCol_, originRow_);
  if (const LoadResult loaded = window.LoadSegments(doc_); !loaded) {
    questions_.Inform(loaded.Message());
    return false;
  }
  main_.Segments() = window;
  SetSegmentMode(true);
  tools_.SegOriginX = originCol_ * kSegmentSide;
  tools_.SegOriginY = originRow_ * kSegmentSide;
  main_.SetModified(false);
  window_.SizeView();
  window_.Repaint();
  Changed();
  return true;
}

bool SegmentCommands::SaveSegs() {
  if (projectDir_.empty()) {
    questions_.Inform(kCancelled);
    return false;
  }
  return main_.SaveSegments();
}

void SegmentCommands::Cancel() {
  SetSegmentMode(false);
  // The name still belongs to the map opened before the segments: keeping it would offer to
  // save these cells over that map.
  main_.SetUntitled();
}

bool SegmentCommands::Move(int dCol, int dRow) {
  if (!main_.SegmentMode()) return false;
  int col = originCol_, row = originRow_;
  if ((dCol < 0 && col > 0) || (dCol > 0 && col + kWindowSegments < grid_.Cols)) col += dCol;
  if ((dRow < 0 && row > 0) || (dRow > 0 && row + kWindowSegments < grid_.Rows)) row += dRow;
  const int oldCol = originCol_, oldRow = originRow_;
  SetOrigin(col, row);
  if (EditWindow()) return true;
  // Not loaded: the grid stays where it was.
  SetOrigin(oldCol, oldRow);
  return false;
}

std::pair<int, int> SegmentCommands::WindowOriginAround(int col, int row, int cols, int rows) {
  return {std::clamp(col - 1, 0, std::max(0, cols - kWindowSegments)),
          std::clamp(row - 1, 0, std::max(0, rows - kWindowSegments))};
}

bool SegmentCommands::EditAround(int col, int row) {
  const auto [originCol, originRow] = WindowOriginAround(col, row, grid_.Cols, grid_.Rows);
  const int oldCol = originCol_, oldRow = originRow_;
  SetOrigin(originCol, originRow);
  if (EditWindow()) return true;
  SetOrigin(oldCol, oldRow);
  return false;
}

void SegmentCommands::ClearSegment() {
  doc_.ClearMap();
  window_.Repaint();
}

}  // namespace hl

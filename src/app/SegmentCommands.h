#pragma once

#include <functional>
#include <string>
#include <utility>

#include "app/MainCommands.h"
#include "segments/SegmentProject.h"
#include "tools/ToolState.h"

namespace hl {

// The segment grid as "New" and "Open" filled it: cells are named on demand from these, so a
// world of any allowed size costs nothing per segment.
struct SegmentGrid {
  std::string Ident;
  int Cols = 1;  // columns and rows of the grid (at least 1)
  int Rows = 1;
  int NamedCols = 0;  // columns and rows that hold names
  int NamedRows = 0;
  // The name in cell (col, row), empty outside the named part.
  std::string Name(int col, int row) const;
};

// The project side of the segment window: the project file, the grid, the window origin and
// the loading, saving and moving of the 3 x 3 window. No widgets here; texts come in as the
// boxes hold them and messages go out through Questions.
class SegmentCommands {
 public:
  static constexpr char kNoProject[] = "Calendar Segment Project just recently determined";
  static constexpr char kCancelled[] = "취소 되었습니다";  // "cancelled"
  static constexpr char kEditQuestion[] = "Edit ?";

  SegmentCommands(MainCommands& main, MapDocument& doc, Questions& questions, ToolState& tools,
                  MainWindowHooks& window)
      : main_(main), doc_(doc), questions_(questions), tools_(tools), window_(window) {}

  const SegmentGrid& Grid() const { return grid_; }
  const std::string& ProjectDir() const { return projectDir_; }
  int OriginCol() const { return originCol_; }
  int OriginRow() const { return originRow_; }
  // The top-left segment of the window loaded last.
  int LoadedCol() const { return tools_.SegOriginX / kSegmentSide; }
  int LoadedRow() const { return tools_.SegOriginY / kSegmentSide; }
  // The grid scrolled by the user: the origin of the next Edit.
  void SetOrigin(int col, int row);

  // "New": false (with a message for counts past the limit or a bad ident) when nothing
  // changed.
  bool New(const std::string& ident, const std::string& colText, const std::string& rowText);
  // "Save" after its dialog: the project file from the boxes.
  bool SaveProject(const std::string& fileName, const std::string& ident,
                   const std::string& colText, const std::string& rowText);
  // "Open" after its dialog: the boxes get the file's values (they stay as they are when the
  // file cannot be read) and the grid is filled from them. `read`, when given, tells whether
  // the file was read.
  struct Boxes {
    std::string Ident, Col, Row;
  };
  bool OpenProject(const std::string& fileName, Boxes& boxes, ProjectRead* read = nullptr);
  // "Edit": loads the window at the origin, asking first when the map is modified. True when
  // a window was loaded.
  bool EditWindow();
  // "Save Segs".
  bool SaveSegs();
  // "Cancel": the loaded cells stay as an ordinary, untitled map.
  void Cancel();
  // "L", "U", "D", "R": one segment over when there is room, then Edit either way. Nothing
  // outside segment mode.
  bool Move(int dCol, int dRow);
  // The window whose middle segment is (col, row), or as near as the grid allows: Edit at
  // WindowOriginAround. Unlike Move it works outside segment mode too. The origin stays
  // where it was when nothing was loaded.
  bool EditAround(int col, int row);
  // The top-left segment of the window around (col, row) in a grid of cols x rows segments.
  static std::pair<int, int> WindowOriginAround(int col, int row, int cols, int rows);
  // Told whenever the project, its grid or the window's origin may have changed.
  void SetChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }
  // "Clear Segment": every cell of the storage emptied; size, history and flags stay.
  void ClearSegment();

 private:
  bool Fill(const std::string& ident, int cols, int rows);
  void Changed() {
    if (changed_) changed_();
  }
  void SetSegmentMode(bool on);

  MainCommands& main_;
  MapDocument& doc_;
  Questions& questions_;
  ToolState& tools_;
  MainWindowHooks& window_;
  std::function<void()> changed_;
  SegmentGrid grid_;
  std::string projectDir_;
  int originCol_ = 0;
  int originRow_ = 0;
};

}  // namespace hl

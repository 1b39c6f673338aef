#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "map/CellStorage.h"
#include "map/MapDocument.h"
#include "util/LoadResult.h"
#include "util/SaveResult.h"

namespace hl {

inline constexpr int kSegmentSide = 40;
inline constexpr int kWindowSegments = 3;
inline constexpr int kWindowCells = kSegmentSide * kWindowSegments;  // 120
inline constexpr std::size_t kProjectFileSize = 24;
inline constexpr std::size_t kSegmentFileSize = 52 + 40 * 40 * 12;  // 19,252
inline constexpr std::size_t kMaxIdentLength = 15;
// Segment columns and rows a project may have: 10,000 segments a side is 400,000 cells, far
// beyond any real world, while every count below it stays cheap (names are made on demand).
inline constexpr int kMaxSegmentCount = 10000;

// The name of the segment at column col and row row: ident, then 100 + row, then 100 + col.
std::string SegmentName(std::string_view ident, int col, int row);

// What a project file holds.
struct SegmentProject {
  std::string Ident = "A";
  int Cols = 3;
  int Rows = 3;
};

// The advisory lock in a project's folder that keeps one program's segment files from mixing
// with another's: shared while a window loads, exclusive while one is written.
inline constexpr char kProjectLockName[] = ".harbourlight-segments.lock";
// How long loading or saving waits for another program to let go of the project.
inline constexpr std::chrono::milliseconds kProjectLockWait{5000};

// Why an ident cannot be stored (more than 15 characters, not printable ASCII, or a folder
// separator, which would take segment files out of the project's folder); empty when it can.
std::string IdentProblem(std::string_view ident);
// Why counts cannot make a project (below 1 or above the limit); empty when they can.
std::string CountProblem(int cols, int rows);

// Why a project cannot be written: an ident IdentProblem refuses, or counts above the limit,
// which ReadProject would refuse. Empty when it can; counts below 1 only make an empty grid.
std::string ProjectProblem(const SegmentProject& project);

// Writes the 24-byte project file; the old file is replaced only when complete. A project
// ProjectProblem finds fault with is not written.
SaveResult WriteProject(const std::string& fileName, const SegmentProject& project);
enum class ProjectRead { Read, Missing, Refused };
// Reads a project file. A missing or unreadable file gives Missing and leaves `project` alone;
// a file too short, with counts above the limit or with an ident IdentProblem refuses gives
// Refused with the reason.
ProjectRead ReadProject(const std::string& fileName, SegmentProject& project, std::string* error);

// One segment file into the 40 x 40 block at (baseCol, baseRow) of the cells. A missing or
// unreadable file leaves the block alone; a header of more than 40 columns is read for 40.
// A link in the segment's place is refused: segment files are read in their project's folder
// only.
LoadResult LoadSegment(CellStorage& cells, const std::string& path, int baseCol, int baseRow);
// The reading of LoadSegment for a file already found: column k of the segment goes to the
// 40 cells at column(k), never through a link. Where a short file ends, the rest of that
// column is emptied and the columns after it are left as they are.
LoadResult ReadSegmentColumns(const std::string& path, const std::function<TMapCell*(int)>& column);
// The block at (baseCol, baseRow) as a segment file, cells as they are (no library move). A
// link at the path is replaced, never followed.
SaveResult SaveSegment(const MapDocument& doc, const std::string& path, int baseCol, int baseRow);

// The 3 x 3 window of segments being edited: where the files are and which ones it holds.
class SegmentWindow {
 public:
  // The folder the window was loaded from, ending with the separator: saving writes the
  // segments back where they came from even after another project was started.
  std::string ProjectDir;
  // SegmentNames[i][j]: window column i, window row j; empty for no segment there.
  std::array<std::array<std::string, kWindowSegments>, kWindowSegments> SegmentNames;
  // How long the project lock is waited for.
  std::chrono::milliseconds LockWait = kProjectLockWait;

  // The names of the window whose top-left segment is (originCol, originRow) in a grid of
  // cols x rows segments named after ident.
  void PickWindow(std::string_view ident, int cols, int rows, int originCol, int originRow);
  std::string SegmentPath(int i, int j) const { return ProjectDir + SegmentNames[i][j] + ".sem"; }
  std::string LockPath() const { return ProjectDir + kProjectLockName; }
  // The nine files as one 120 x 120 map, read under the project's shared lock; the document's
  // history is emptied, since its states belong to another window. When the lock stays taken
  // or a segment is refused, the document is left as it was.
  LoadResult LoadSegments(MapDocument& doc) const;
  // Writes every named segment under the project's exclusive lock, all or none: when one
  // cannot be written the old files all stay as they were, and the result names the one that
  // failed.
  SaveResult SaveSegments(const MapDocument& doc) const;
};

}  // namespace hl

#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "map/MapDocument.h"
#include "segments/SegmentProject.h"
#include "util/FileStamp.h"
#include "util/LoadResult.h"

namespace hl {

class WorkerPool;

// The whole world of a segment project, for the commands and windows that look at all of it
// rather than at the 3 x 3 window being edited.

inline constexpr int kSegmentCells = kSegmentSide * kSegmentSide;
// One segment's cells, column by column as the file stores them: cell (x, y) at x * 40 + y.
using SegmentBlock = std::array<TMapCell, kSegmentCells>;

// A project opened to look at its whole world.
struct WorldProject {
  std::string Dir;  // the project file's folder, ending with '/'
  std::string Ident;
  int Cols = 0;
  int Rows = 0;
  std::string SegmentFileName(int col, int row) const {
    return SegmentName(Ident, col, row) + ".sem";
  }
  friend bool operator==(const WorldProject&, const WorldProject&) = default;
};

// Reads a project file as the segment window's "Open" does (the ident without the spaces
// around it). Nothing, with the reason, for a file that cannot be read or is refused, and for
// a project without segments.
std::optional<WorldProject> OpenWorld(const std::string& projectFile, std::string* error);

enum class SegmentState {
  Missing,
  Present,
  // A link or something other than a regular file stands at the segment's name: segment
  // files are read in the project's folder only, so it is not read.
  Refused,
};

struct SegmentLook {
  SegmentState State = SegmentState::Missing;
  std::string Path;  // the file found (any letter case); empty when missing
  FileStamp Stamp;   // of a present file
};

// The segment files of a project, found as the segment window finds them: the exact name
// first, then any letter case. The folder is listed once, when the first exact name is
// missing, rather than once per segment: a world has thousands of them. Safe to use from
// several threads.
class SegmentFiles {
 public:
  explicit SegmentFiles(WorldProject project) : project_(std::move(project)) {}

  const WorldProject& Project() const { return project_; }
  SegmentLook Look(int col, int row) const;
  // Forgets the listing: files may have come or gone since.
  void Rescan();

 private:
  using Listing = std::unordered_map<std::string, std::string>;  // lower case -> name
  std::shared_ptr<const Listing> CurrentListing() const;

  WorldProject project_;
  mutable std::mutex mutex_;
  mutable std::shared_ptr<const Listing> listing_;
};

// Reads a segment the look found into `block`, emptied first; a missing or refused segment
// leaves it empty. Refused and unreadable files give a failure with the reason.
LoadResult ReadSegmentBlock(const SegmentLook& look, SegmentBlock& block);

// The segments of a band of segment rows held in memory, for pictures drawn a band at a time:
// rows are read as the band moves down the world and dropped once it has passed them, so
// memory follows the band, not the world. Columns col0 .. col1 of each row are held; missing
// segments hold nothing.
class SegmentRows {
 public:
  SegmentRows(const SegmentFiles& files, int col0, int col1)
      : files_(files), col0_(col0), col1_(col1) {}

  // Holds rows first .. last (clipped to the project): rows above are dropped, rows not yet
  // held are looked at and, unless `read` is false, read, their segments shared out among the
  // pool's workers (rows held without reading are read by the next Hold that reads). `problem`
  // hears of every segment that could not be read (it is then empty), from worker 0's thread.
  void Hold(int first, int last, WorkerPool& pool,
            const std::function<void(int col, int row, const std::string&)>& problem,
            bool read = true);
  // What the segment at (col, row) is, when its row is held; a missing segment otherwise.
  const SegmentLook& Look(int col, int row) const;
  // The segment at (col, row) when it is held, read and present; null otherwise.
  const SegmentBlock* At(int col, int row) const;
  // Copies the world's cells x0 .. x0 + width - 1, y0 .. y0 + height - 1 (cells of the whole
  // project) into the document's cells from (0, 0); cells of segments not held are empty.
  void CopyCells(int x0, int y0, int width, int height, MapDocument& doc) const;

 private:
  struct Row {
    int Index;
    std::vector<SegmentLook> Looks;                     // col0 .. col1
    std::vector<std::unique_ptr<SegmentBlock>> Blocks;  // col0 .. col1, once read
    bool Read = false;
  };
  const Row* RowAt(int row) const;
  const SegmentFiles& files_;
  int col0_, col1_;
  std::deque<Row> rows_;
};

}  // namespace hl

#include "segments/SegmentProject.h"

#include <cerrno>
#include <cstring>

#include "map/MapFile.h"
#include "util/FileLock.h"
#include "util/FileLookup.h"
#include "util/FileReader.h"
#include "util/LittleEndian.h"
#include "util/SafeFileWriter.h"
#include "util/WriteWholeFile.h"

namespace hl {

namespace {

constexpr std::size_t kSegmentColumnBytes = kSegmentSide * sizeof(TMapCell);

}  // namespace

std::string SegmentName(std::string_view ident, int col, int row) {
  return std::string(ident) + std::to_string(100LL + row) + std::to_string(100LL + col);
}

std::string IdentProblem(std::string_view ident) {
  if (ident.size() > kMaxIdentLength) return "the ident takes at most 15 characters";
  for (char ch : ident) {
    if (ch < 0x20 || ch > 0x7E) return "the ident takes only ASCII letters, digits and signs";
  }
  // Segment files are named after the ident; a separator would lead them out of the project's
  // folder. ':' separates too in names from the game's own system.
  if (ident.find_first_of("/\\:") != std::string_view::npos) {
    return "the ident cannot hold '/', '\\' or ':', as the segment files are named after it";
  }
  return {};
}

std::string CountProblem(int cols, int rows) {
  if (cols < 1 || rows < 1) return "a project needs at least one segment column and row";
  if (cols > kMaxSegmentCount || rows > kMaxSegmentCount) {
    return "a project has at most " + std::to_string(kMaxSegmentCount) +
           " segment columns and rows";
  }
  return {};
}

std::string ProjectProblem(const SegmentProject& project) {
  if (std::string problem = IdentProblem(project.Ident); !problem.empty()) return problem;
  if (project.Cols > kMaxSegmentCount || project.Rows > kMaxSegmentCount) {
    return CountProblem(project.Cols, project.Rows);
  }
  return {};
}

SaveResult WriteProject(const std::string& fileName, const SegmentProject& project) {
  // A file that could not be opened again is not written.
  if (const std::string problem = ProjectProblem(project); !problem.empty()) {
    return SaveResult::CannotWrite(fileName, problem);
  }
  std::array<std::uint8_t, kProjectFileSize> bytes{};
  const std::size_t n = std::min(project.Ident.size(), kMaxIdentLength);
  bytes[0] = static_cast<std::uint8_t>(n);
  std::memcpy(bytes.data() + 1, project.Ident.data(), n);
  StoreLE<std::int32_t>(bytes.data() + 16, project.Cols);
  StoreLE<std::int32_t>(bytes.data() + 20, project.Rows);
  return WriteWholeFile(fileName, bytes, SafeFileWriter::OldTail::Keep);
}

ProjectRead ReadProject(const std::string& fileName, SegmentProject& project, std::string* error) {
  const auto path = FindFileIgnoringCase(fileName);
  FileReader file;
  if (!path || !file.Open(*path)) return ProjectRead::Missing;
  std::array<std::uint8_t, kProjectFileSize> bytes{};
  if (file.Read(bytes) != bytes.size()) {
    if (error) *error = "'" + fileName + "' is not a segment project (too short)";
    return ProjectRead::Refused;
  }
  const std::size_t n = std::min<std::size_t>(bytes[0], kMaxIdentLength);
  SegmentProject read;
  read.Ident.assign(reinterpret_cast<const char*>(bytes.data() + 1), n);
  read.Cols = LoadLE<std::int32_t>(bytes.data() + 16);
  read.Rows = LoadLE<std::int32_t>(bytes.data() + 20);
  // Counts below 1 only give an empty grid; counts past the limit would cost the grid and the
  // names more than any world needs.
  if (read.Cols > kMaxSegmentCount || read.Rows > kMaxSegmentCount) {
    if (error) {
      *error = "'" + fileName + "' names " + std::to_string(read.Cols) + " x " +
               std::to_string(read.Rows) + " segments: " + CountProblem(read.Cols, read.Rows);
    }
    return ProjectRead::Refused;
  }
  // Every reader of a project, the segment window and hlmap alike, names files after the
  // ident; one that could name files elsewhere is refused here, once for all of them.
  if (const std::string problem = IdentProblem(read.Ident); !problem.empty()) {
    if (error) *error = "'" + fileName + "' is refused: " + problem;
    return ProjectRead::Refused;
  }
  project = std::move(read);
  return ProjectRead::Read;
}

LoadResult ReadSegmentColumns(const std::string& path,
                              const std::function<TMapCell*(int)>& column) {
  FileReader file;
  if (!file.Open(path, Links::Refuse)) {
    if (errno == ELOOP) {
      return LoadResult::CannotRead(
          path, "it is a link, and segment files are only read in the project's folder");
    }
    return {};
  }
  std::array<std::uint8_t, kMapHeaderSize> headerBytes{};
  if (file.Read(headerBytes) != headerBytes.size()) return {};
  const TMapHeader header = DecodeMapHeader(headerBytes);
  if (header.Width == 0 || header.Height == 0) return {};
  // Each segment owns 40 columns of the window: a wider header is read for its first 40.
  const int width = std::min<int>(header.Width, kSegmentSide);
  for (int k = 0; k < width; ++k) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(column(k));
    const std::size_t got = file.Read({bytes, kSegmentColumnBytes});
    if (got < kSegmentColumnBytes) {
      // A short file: the record cut in two is emptied with the rest of the block.
      const std::size_t whole = got - got % sizeof(TMapCell);
      std::memset(bytes + whole, 0, kSegmentColumnBytes - whole);
      return {};
    }
  }
  return {};
}

LoadResult LoadSegment(CellStorage& cells, const std::string& path, int baseCol, int baseRow) {
  const auto found = FindFileIgnoringCase(path);
  if (!found) return {};
  return ReadSegmentColumns(
      *found, [&](int k) { return cells.MutableColumn(baseCol + k).data() + baseRow; });
}

namespace {

// Writes the block as a segment file beside `path`, ready to replace it.
SaveResult WriteSegment(SafeFileWriter& out, const MapDocument& doc, const std::string& path,
                        int baseCol, int baseRow) {
  const auto header = EncodeMapHeader(kSegmentSide, kSegmentSide, 0);
  std::vector<std::span<const std::uint8_t>> pieces;
  pieces.reserve(kSegmentSide + 1);
  pieces.emplace_back(header);
  for (int k = 0; k < kSegmentSide; ++k) {
    const TMapCell* column = doc.Cells().ColumnAt(baseCol + k).data() + baseRow;
    pieces.emplace_back(reinterpret_cast<const std::uint8_t*>(column), kSegmentColumnBytes);
  }
  if (!out.Open(path, SafeFileWriter::OldTail::Keep, WriteOptions{AtLink::Replace})) {
    return FileWriteFailure(path);
  }
  // Whatever errno the opening left behind is no reason for a failure from here on.
  errno = 0;
  if (!out.WriteGather(pieces) || !out.Finish()) return FileWriteFailure(path);
  return {};
}

}  // namespace

SaveResult SaveSegment(const MapDocument& doc, const std::string& path, int baseCol, int baseRow) {
  SafeFileWriter out;
  if (SaveResult written = WriteSegment(out, doc, path, baseCol, baseRow); !written) {
    return written;
  }
  if (!out.Replace()) return FileWriteFailure(path);
  return {};
}

void SegmentWindow::PickWindow(std::string_view ident, int cols, int rows, int originCol,
                               int originRow) {
  for (auto& column : SegmentNames) column.fill({});
  for (int j = 0; j < kWindowSegments && originRow + j < rows; ++j) {
    for (int i = 0; i < kWindowSegments && originCol + i < cols; ++i) {
      SegmentNames[i][j] = SegmentName(ident, originCol + i, originRow + j);
    }
  }
}

namespace {

// Another program kept the project for the whole wait; which one, the lock does not say.
std::string HeldElsewhere(const SegmentWindow& window) {
  const auto ms = window.LockWait.count();
  const std::string wait =
      ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
  return "another program holds the project (" + std::string(kProjectLockName) +
         " stayed locked for " + wait + "); try again when it is done";
}

}  // namespace

LoadResult SegmentWindow::LoadSegments(MapDocument& doc) const {
  // A lock file that cannot be made (a folder we may not write in, a file system without
  // locks) leaves the work unlocked: the lock is advisory, and refusing would keep such
  // projects from opening or saving at all.
  FileLock lock;
  if (lock.Take(LockPath(), FileLock::Mode::Shared, LockWait) == FileLock::Outcome::Busy) {
    return LoadResult::CannotRead(ProjectDir, HeldElsewhere(*this));
  }
  CellStorage cells;
  for (int i = 0; i < kWindowSegments; ++i) {
    for (int j = 0; j < kWindowSegments; ++j) {
      if (SegmentNames[i][j].empty()) continue;
      if (LoadResult read =
              LoadSegment(cells, SegmentPath(i, j), kSegmentSide * i, kSegmentSide * j);
          !read) {
        return read;
      }
    }
  }
  doc.ReplaceCells(std::move(cells), kWindowCells, kWindowCells);
  return {};
}

SaveResult SegmentWindow::SaveSegments(const MapDocument& doc) const {
  FileLock lock;
  if (lock.Take(LockPath(), FileLock::Mode::Exclusive, LockWait) == FileLock::Outcome::Busy) {
    return SaveResult::CannotWrite(ProjectDir, HeldElsewhere(*this));
  }
  // The nine files change together: a house across a segment border must not end up half
  // saved. All are written first; only then do they replace the old ones.
  SafeFileWriter writers[kWindowSegments][kWindowSegments];
  std::vector<SafeFileWriter*> finished;
  std::vector<std::string> paths;
  for (int i = 0; i < kWindowSegments; ++i) {
    for (int j = 0; j < kWindowSegments; ++j) {
      if (SegmentNames[i][j].empty()) continue;
      paths.push_back(SegmentPath(i, j));
      if (SaveResult written =
              WriteSegment(writers[i][j], doc, paths.back(), kSegmentSide * i, kSegmentSide * j);
          !written) {
        return written;
      }
      finished.push_back(&writers[i][j]);
    }
  }
  std::size_t failed = 0;
  if (!ReplaceTogether(finished, &failed)) return FileWriteFailure(paths[failed]);
  return {};
}

}  // namespace hl

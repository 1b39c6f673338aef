#include "segments/WorldFiles.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "util/PathParts.h"
#include "util/TextHelpers.h"
#include "util/WorkerPool.h"

namespace hl {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool EndsWithSem(const std::string& lower) {
  return lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".sem") == 0;
}

SegmentLook LookAt(const std::string& path) {
  SegmentLook look;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return look;
  look.Path = path;
  if (const auto stamp = StampOf(path, Links::Refuse)) {
    look.State = SegmentState::Present;
    look.Stamp = *stamp;
  } else {
    look.State = SegmentState::Refused;
  }
  return look;
}

}  // namespace

std::optional<WorldProject> OpenWorld(const std::string& projectFile, std::string* error) {
  SegmentProject read;
  std::string why;
  switch (ReadProject(projectFile, read, &why)) {
    case ProjectRead::Missing:
      if (error) *error = "cannot read the project '" + projectFile + "'";
      return std::nullopt;
    case ProjectRead::Refused:
      if (error) *error = why;
      return std::nullopt;
    case ProjectRead::Read:
      break;
  }
  WorldProject world;
  const auto first = read.Ident.find_first_not_of(' ');
  if (first != std::string::npos)
    world.Ident = read.Ident.substr(first, read.Ident.find_last_not_of(' ') - first + 1);
  world.Cols = read.Cols;
  world.Rows = read.Rows;
  if (world.Cols < 1 || world.Rows < 1) {
    if (error) {
      *error = "'" + projectFile + "' holds " + std::to_string(world.Cols) + " x " +
               std::to_string(world.Rows) + " segments: there is no world to show";
    }
    return std::nullopt;
  }
  const std::string dir = DirectoryPart(projectFile);
  world.Dir = dir.empty() ? "./" : dir;
  return world;
}

std::shared_ptr<const SegmentFiles::Listing> SegmentFiles::CurrentListing() const {
  std::lock_guard lock(mutex_);
  if (listing_) return listing_;
  auto listing = std::make_shared<Listing>();
  if (DIR* d = ::opendir(project_.Dir.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      const std::string lower = Lower(name);
      if (!EndsWithSem(lower)) continue;
      // Of several names in different letter cases, the smallest by byte order, as
      // FindFileIgnoringCase takes.
      auto [it, added] = listing->try_emplace(lower, name);
      if (!added && std::strcmp(name.c_str(), it->second.c_str()) < 0) it->second = name;
    }
    ::closedir(d);
  }
  listing_ = std::move(listing);
  return listing_;
}

void SegmentFiles::Rescan() {
  std::lock_guard lock(mutex_);
  listing_.reset();
}

SegmentLook SegmentFiles::Look(int col, int row) const {
  const std::string name = project_.SegmentFileName(col, row);
  SegmentLook look = LookAt(project_.Dir + name);
  if (look.State != SegmentState::Missing) return look;
  const auto listing = CurrentListing();
  const auto it = listing->find(Lower(name));
  if (it == listing->end()) return look;
  return LookAt(project_.Dir + it->second);
}

LoadResult ReadSegmentBlock(const SegmentLook& look, SegmentBlock& block) {
  block.fill(TMapCell{});
  switch (look.State) {
    case SegmentState::Missing:
      return {};
    case SegmentState::Refused:
      return LoadResult::CannotRead(
          look.Path,
          "it is a link or not a regular file, and segment files are only read in "
          "the project's folder");
    case SegmentState::Present:
      break;
  }
  return ReadSegmentColumns(look.Path, [&](int k) { return block.data() + k * kSegmentSide; });
}

void SegmentRows::Hold(int first, int last, WorkerPool& pool,
                       const std::function<void(int, int, const std::string&)>& problem,
                       bool read) {
  const WorldProject& project = files_.Project();
  first = std::max(first, 0);
  last = std::min(last, project.Rows - 1);
  while (!rows_.empty() && rows_.front().Index < first) rows_.pop_front();
  const int columns = col1_ - col0_ + 1;
  for (int r = rows_.empty() ? first : rows_.back().Index + 1; r <= last; ++r) {
    Row row{r, {}, {}, false};
    row.Looks.resize(static_cast<std::size_t>(columns));
    row.Blocks.resize(static_cast<std::size_t>(columns));
    pool.Run(columns, [&](int i, int) {
      row.Looks[static_cast<std::size_t>(i)] = files_.Look(col0_ + i, r);
    });
    rows_.push_back(std::move(row));
  }
  if (!read) return;
  for (Row& row : rows_) {
    if (row.Read || row.Index > last) continue;
    std::vector<std::string> problems(static_cast<std::size_t>(columns));
    pool.Run(columns, [&](int i, int) {
      const SegmentLook& look = row.Looks[static_cast<std::size_t>(i)];
      if (look.State == SegmentState::Missing) return;
      auto block = std::make_unique<SegmentBlock>();
      if (const LoadResult loaded = ReadSegmentBlock(look, *block); !loaded) {
        problems[static_cast<std::size_t>(i)] = loaded.Message();
        return;
      }
      row.Blocks[static_cast<std::size_t>(i)] = std::move(block);
    });
    row.Read = true;
    for (int i = 0; i < columns; ++i) {
      if (!problems[static_cast<std::size_t>(i)].empty())
        problem(col0_ + i, row.Index, problems[static_cast<std::size_t>(i)]);
    }
  }
}

const SegmentRows::Row* SegmentRows::RowAt(int row) const {
  if (rows_.empty()) return nullptr;
  const int at = row - rows_.front().Index;
  if (at < 0 || at >= static_cast<int>(rows_.size())) return nullptr;
  return &rows_[static_cast<std::size_t>(at)];
}

const SegmentLook& SegmentRows::Look(int col, int row) const {
  static const SegmentLook kNone;
  const Row* held = RowAt(row);
  if (!held || col < col0_ || col > col1_) return kNone;
  return held->Looks[static_cast<std::size_t>(col - col0_)];
}

const SegmentBlock* SegmentRows::At(int col, int row) const {
  const Row* held = RowAt(row);
  if (!held || col < col0_ || col > col1_) return nullptr;
  return held->Blocks[static_cast<std::size_t>(col - col0_)].get();
}

void SegmentRows::CopyCells(int x0, int y0, int width, int height, MapDocument& doc) const {
  for (int i = 0; i < width; ++i) {
    const int x = x0 + i;
    CellStorage::Column& column = doc.WritableColumn(i);
    for (int j = 0; j < height;) {
      const int y = y0 + j;
      // The run of rows that lies in one segment.
      const int segRow = y >= 0 ? y / kSegmentSide : -1;
      const int run = std::min(height - j, y >= 0 ? kSegmentSide - y % kSegmentSide : -y);
      const SegmentBlock* block = x >= 0 && y >= 0 ? At(x / kSegmentSide, segRow) : nullptr;
      TMapCell* to = column.data() + j;
      if (block) {
        std::copy_n(block->data() + (x % kSegmentSide) * kSegmentSide + y % kSegmentSide, run, to);
      } else {
        std::fill_n(to, run, TMapCell{});
      }
      j += run;
    }
  }
}

}  // namespace hl

#include "app/MapCheck.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>

#include "map/MapFile.h"
#include "util/FileLookup.h"
#include "util/FileReader.h"

namespace hl {

namespace {

constexpr char kMissingLibrary[] = "missing-library";
constexpr char kMissingObjectImage[] = "missing-object-image";
constexpr char kTileBeyondLibrary[] = "tile-beyond-library";
constexpr char kSplitBigTile[] = "split-big-tile";
constexpr char kKeptInLibrary7[] = "kept-in-library-7";
constexpr char kBrightLight[] = "bright-light";
constexpr char kShortSegment[] = "short-segment";
constexpr char kSegmentHeader[] = "segment-header";
constexpr char kMissingSegment[] = "missing-segment";
constexpr char kUnreadableSegment[] = "unreadable-segment";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char ch : s) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += ch;
    } else if (b < 0x20 || b == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", b);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

// Cell rules, with the counts of the libraries looked up once.
class CellRules {
 public:
  CellRules(const LibraryCounts& libs, CheckReport& report, int originX, int originY,
            const std::string& segment)
      : libs_(libs), report_(report), ox_(originX), oy_(originY), segment_(segment) {
    ext_ = std::string(LibraryExtension(libs.Format));
  }

  void Cell(int x, int y, const TMapCell& c) {
    if (const int number = c.ObjectImage & kNumberBits; number != 0) Object(x, y, c, number);
    if (const int tile = c.BackTile & kNumberBits; tile != 0) {
      Tile(x, y, tile - 1, libs_.Tiles, "big tile", "Tiles");
    }
    if (c.MiddleTile != 0) Tile(x, y, c.MiddleTile - 1, libs_.SmTiles, "small tile", "SmTiles");
    if (StaysInLibrary7(c)) {
      Add(kKeptInLibrary7, Severity::Warning, x, y, [&] {
        return "object image " + std::to_string((c.ObjectImage & kNumberBits) - 1) +
               " of library 7 stays in library 7 when saved: library 6 cannot express it";
      });
    }
    if (c.Light > kUsualMaxLight) {
      Add(kBrightLight, Severity::Warning, x, y, [&] {
        return "light " + std::to_string(c.Light) + " is above the usual 0 to " +
               std::to_string(kUsualMaxLight);
      });
    }
  }

  void Block(int x, int y, int tile, int otherX, int otherY, int other) {
    Add(kSplitBigTile, Severity::Warning, x, y, [&] {
      auto name = [](int t) { return t == 0 ? std::string("none") : std::to_string(t - 1); };
      return "the 2 x 2 block holds big tile " + name(tile) + " here but " + name(other) + " at " +
             std::to_string(otherX + ox_) + "," + std::to_string(otherY + oy_);
    });
  }

 private:
  template <class Message>
  void Add(const char* id, Severity level, int x, int y, Message message) {
    Finding f;
    f.Id = id;
    f.Level = level;
    f.X = x + ox_;
    f.Y = y + oy_;
    f.Segment = segment_;
    // A message costs more than the rule: findings that will only be counted go without.
    if (report_.WillList(f.Id)) f.Message = message();
    report_.Add(std::move(f));
  }

  void Object(int x, int y, const TMapCell& c, int number) {
    const int lib = c.ObjectLib;
    const std::optional<int> count =
        lib < kObjectLibraries ? libs_.Objects[static_cast<std::size_t>(lib)] : std::nullopt;
    if (!count) {
      Add(kMissingLibrary, Severity::Error, x, y, [&] {
        if (lib >= kObjectLibraries) {
          return "object library " + std::to_string(lib) + " is beyond the " +
                 std::to_string(kObjectLibraries) + " library slots";
        }
        return "object library " + std::to_string(lib) + " has no library file (" +
               ObjectLibraryName(lib) + ext_ + ")";
      });
      return;
    }
    if (number - 1 >= *count) {
      Add(kMissingObjectImage, Severity::Error, x, y, [&] {
        return "object image " + std::to_string(number - 1) + " is not in " +
               ObjectLibraryName(lib) + ext_ + ", which has " + std::to_string(*count) + " images";
      });
    }
  }

  void Tile(int x, int y, int image, const std::optional<int>& count, const char* what,
            const char* library) {
    if (count && image < *count) return;
    Add(count ? kTileBeyondLibrary : kMissingLibrary, Severity::Error, x, y, [&] {
      if (!count)
        return std::string(what) + " " + std::to_string(image) + ": there is no library file " +
               library + ext_;
      return std::string(what) + " " + std::to_string(image) + " is beyond the last image (" +
             std::to_string(*count - 1) + ") of " + library + ext_;
    });
  }

  const LibraryCounts& libs_;
  CheckReport& report_;
  int ox_, oy_;
  const std::string& segment_;
  std::string ext_;
};

// The grid positions whose segment file is named `name`: ident, 100 + row, 100 + col. The two
// numbers meet without a separator, so one name can stand for two positions of a large grid.
std::vector<std::pair<int, int>> PositionsOf(const std::string& name, const SegmentProject& p) {
  std::vector<std::pair<int, int>> found;
  const std::string lower = Lower(name);
  const std::string prefix = Lower(p.Ident);
  const std::string suffix = ".sem";
  if (lower.size() < prefix.size() + suffix.size() ||
      lower.compare(0, prefix.size(), prefix) != 0 ||
      lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return found;
  }
  const std::string digits =
      lower.substr(prefix.size(), lower.size() - prefix.size() - suffix.size());
  if (digits.size() < 6 || digits.find_first_not_of("0123456789") != std::string::npos)
    return found;
  for (std::size_t k = 3; k + 3 <= digits.size(); ++k) {
    const std::string a = digits.substr(0, k), b = digits.substr(k);
    if (a.size() > 5 || b.size() > 5 || a[0] == '0' || b[0] == '0') continue;
    const int row = std::stoi(a) - 100, col = std::stoi(b) - 100;
    if (row < 0 || col < 0 || row >= p.Rows || col >= p.Cols) continue;
    if (Lower(SegmentName(p.Ident, col, row) + ".sem") == lower) found.push_back({col, row});
  }
  return found;
}

void CheckSegmentFile(const std::string& path, const std::string& name, int col, int row,
                      const LibraryCounts& libraries, CheckReport& report) {
  auto segmentFinding = [&](const char* id, const std::string& message) {
    report.Add({id, Severity::Error, -1, -1, name, message});
  };
  FileReader file;
  if (!file.Open(path, Links::Refuse)) {
    segmentFinding(kUnreadableSegment,
                   errno == ELOOP
                       ? "it is a link; segment files are read in the project's folder only"
                       : "it cannot be read");
    return;
  }
  if (file.Size() < kSegmentFileSize) {
    segmentFinding(kShortSegment, "the file has " + std::to_string(file.Size()) +
                                      " bytes; a segment file has " +
                                      std::to_string(kSegmentFileSize));
    return;
  }
  std::array<std::uint8_t, kMapHeaderSize> bytes{};
  if (file.Read(bytes) != bytes.size()) {
    segmentFinding(kUnreadableSegment, "its header cannot be read");
    return;
  }
  const TMapHeader header = DecodeMapHeader(bytes);
  if (header.Width != kSegmentSide || header.Height != kSegmentSide) {
    segmentFinding(kSegmentHeader, "its header says " + std::to_string(header.Width) + " x " +
                                       std::to_string(header.Height) + ", not 40 x 40");
    return;
  }
  file.Close();
  CellStorage cells;
  if (const LoadResult read = LoadSegment(cells, path, 0, 0); !read) {
    segmentFinding(kUnreadableSegment, read.Reason());
    return;
  }
  MapDocument doc;
  doc.ReplaceCells(std::move(cells), kSegmentSide, kSegmentSide);
  CheckCells(doc, kSegmentSide, kSegmentSide, libraries, report, col * kSegmentSide,
             row * kSegmentSide, name);
}

}  // namespace

void CheckReport::Add(Finding finding) {
  (finding.Level == Severity::Error ? errors_ : warnings_) += 1;
  long long& count = counts_[finding.Id];
  if (++count <= kListedPerRule) listed_.push_back(std::move(finding));
}

void CheckReport::Count(const std::string& id, Severity level, long long count) {
  (level == Severity::Error ? errors_ : warnings_) += count;
  counts_[id] += count;
}

bool CheckReport::WillList(const std::string& id) const {
  const auto it = counts_.find(id);
  return it == counts_.end() || it->second < kListedPerRule;
}

std::map<std::string, long long> CheckReport::Unlisted() const {
  std::map<std::string, long long> unlisted;
  for (const auto& [id, count] : counts_) {
    if (count > kListedPerRule) unlisted[id] = count - kListedPerRule;
  }
  return unlisted;
}

void CheckCells(const MapDocument& doc, int width, int height, const LibraryCounts& libraries,
                CheckReport& report, int originX, int originY, const std::string& segment) {
  CellRules rules(libraries, report, originX, originY, segment);
  width = std::clamp(width, 0, kStorageSide);
  height = std::clamp(height, 0, kStorageSide);
  const std::uint16_t light = kUsualMaxLight;
  for (int x = 0; x < width; ++x) {
    const CellStorage::Column& column = doc.Cells().ColumnAt(x);
    // Most cells break no rule: one cheap look decides that, the rules see the rest.
    for (int y = 0; y < height; ++y) {
      const TMapCell& c = column[static_cast<std::size_t>(y)];
      if ((c.ObjectImage & kNumberBits) != 0 || (c.BackTile & kNumberBits) != 0 ||
          c.MiddleTile != 0 || c.Light > light) {
        rules.Cell(x, y, c);
      }
    }
    if (x % kBigTileStep != 0) continue;
    // The 2 x 2 blocks that start in this column, as far as they lie on the map.
    const CellStorage::Column* right = x + 1 < width ? &doc.Cells().ColumnAt(x + 1) : nullptr;
    for (int y = 0; y < height; y += kBigTileStep) {
      const int tile = column[static_cast<std::size_t>(y)].BackTile & kNumberBits;
      auto compare = [&](const CellStorage::Column& col, int cx, int cy) {
        const int other = col[static_cast<std::size_t>(cy)].BackTile & kNumberBits;
        if (other != tile) {
          rules.Block(x, y, tile, cx, cy, other);
          return false;
        }
        return true;
      };
      const bool below = y + 1 < height;
      if (below && !compare(column, x, y + 1)) continue;
      if (right && !compare(*right, x + 1, y)) continue;
      if (right && below) compare(*right, x + 1, y + 1);
    }
  }
}

void CheckProject(const std::string& dir, const SegmentProject& project,
                  const LibraryCounts& libraries, CheckReport& report) {
  // The positions that have a file, found from the folder's entries, so that the work follows
  // the files and not the size of the grid.
  std::set<std::pair<int, int>> present;  // (row, col): row order
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec)) {
    for (const auto& [col, row] : PositionsOf(entry.path().filename().string(), project))
      present.insert({row, col});
  }
  for (const auto& [row, col] : present) {
    const std::string name = SegmentName(project.Ident, col, row);
    const auto path = FindFileIgnoringCase(dir + name + ".sem");
    if (path) CheckSegmentFile(*path, name, col, row, libraries, report);
  }
  const long long total = 1LL * std::max(project.Cols, 0) * std::max(project.Rows, 0);
  long long missing = total - static_cast<long long>(present.size());
  // The missing are named in row order until the report keeps no more of them; the walk
  // passes at most every present file on the way.
  for (int row = 0; row < project.Rows && missing > 0; ++row) {
    for (int col = 0; col < project.Cols && missing > 0; ++col) {
      if (present.contains({row, col})) continue;
      --missing;
      const std::string name = SegmentName(project.Ident, col, row);
      report.Add({kMissingSegment, Severity::Warning, -1, -1, name,
                  "the segment file " + name + ".sem is missing"});
      if (!report.WillList(kMissingSegment)) {
        report.Count(kMissingSegment, Severity::Warning, missing);
        missing = 0;
      }
    }
  }
}

std::string CheckText(const CheckReport& report) {
  std::string s;
  for (const Finding& f : report.Listed()) {
    s += f.Level == Severity::Error ? "error " : "warning ";
    s += f.Id;
    if (!f.Segment.empty()) s += " segment " + f.Segment;
    if (f.X >= 0) s += " cell " + std::to_string(f.X) + "," + std::to_string(f.Y);
    s += ": " + f.Message + "\n";
  }
  for (const auto& [id, count] : report.Unlisted())
    s += "... and " + std::to_string(count) + " more " + id + " not listed\n";
  s += std::to_string(report.Errors()) + (report.Errors() == 1 ? " error, " : " errors, ") +
       std::to_string(report.Warnings()) + (report.Warnings() == 1 ? " warning\n" : " warnings\n");
  return s;
}

std::string CheckJson(const CheckReport& report) {
  std::string s = "{\"errors\":" + std::to_string(report.Errors()) +
                  ",\"warnings\":" + std::to_string(report.Warnings()) + ",\"findings\":[";
  bool first = true;
  for (const Finding& f : report.Listed()) {
    if (!first) s += ',';
    first = false;
    s += "{\"id\":" + JsonString(f.Id) + ",\"severity\":\"" +
         (f.Level == Severity::Error ? "error" : "warning") + "\"";
    if (!f.Segment.empty()) s += ",\"segment\":" + JsonString(f.Segment);
    if (f.X >= 0) s += ",\"x\":" + std::to_string(f.X) + ",\"y\":" + std::to_string(f.Y);
    s += ",\"message\":" + JsonString(f.Message) + "}";
  }
  s += "],\"unlisted\":{";
  first = true;
  for (const auto& [id, count] : report.Unlisted()) {
    if (!first) s += ',';
    first = false;
    s += JsonString(id) + ":" + std::to_string(count);
  }
  return s + "}}";
}

}  // namespace hl

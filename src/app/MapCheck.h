#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "map/LibraryFormat.h"
#include "map/MapDocument.h"
#include "map/MapUnits.h"
#include "segments/SegmentProject.h"

namespace hl {

// What `hlmap check` knows of the libraries: each one's image count, or nothing for a library
// that has no file (or none that opens).
struct LibraryCounts {
  LibraryFormat Format = LibraryFormat::Data;
  std::optional<int> Tiles;
  std::optional<int> SmTiles;
  std::array<std::optional<int>, kObjectLibraries> Objects;
};

enum class Severity { Error, Warning };

// One thing found, at a cell of the map (or of the world, for a project) or at a segment.
struct Finding {
  std::string Id;  // the rule, e.g. "missing-object-image"
  Severity Level = Severity::Error;
  int X = -1;  // -1: the finding is about a whole segment
  int Y = -1;
  std::string Segment;  // the segment's name in a project, else empty
  std::string Message;
};

// The findings of a check. Of each rule at most kListedPerRule are kept in the order found,
// the rest only counted, so that a map broken everywhere still gives an answer of bounded size.
class CheckReport {
 public:
  static constexpr long long kListedPerRule = 1000;

  void Add(Finding finding);
  // Counts `count` findings of a rule without keeping any.
  void Count(const std::string& id, Severity level, long long count);
  long long Errors() const { return errors_; }
  long long Warnings() const { return warnings_; }
  // Kept findings in the order found.
  const std::vector<Finding>& Listed() const { return listed_; }
  // How many findings of each rule were not kept.
  std::map<std::string, long long> Unlisted() const;
  // Whether the next finding of the rule would still be kept: a rule whose findings cost a
  // message each skips the work once it is full.
  bool WillList(const std::string& id) const;

 private:
  long long errors_ = 0;
  long long warnings_ = 0;
  std::vector<Finding> listed_;
  std::map<std::string, long long, std::less<>> counts_;
};

// The rules on cells: objects without an image or a library file, tiles beyond their
// library, 2 x 2 blocks whose cells hold different big tiles, cells a save keeps in object
// library 7, lights above the light dialog's hint. Looks at the width x height cells of the
// document; findings name cell (x + originX, y + originY) and `segment`.
void CheckCells(const MapDocument& doc, int width, int height, const LibraryCounts& libraries,
                CheckReport& report, int originX = 0, int originY = 0,
                const std::string& segment = {});

// A project: every segment file of the grid in the project's folder (`dir`, ending with '/'):
// an error for one shorter than a segment file or whose header is not 40 x 40, a warning for
// one that is missing, and the cell rules on the others in world coordinates. Work grows with
// the files present, not with the grid: the missing are counted, and named until the report
// lists no more of them.
void CheckProject(const std::string& dir, const SegmentProject& project,
                  const LibraryCounts& libraries, CheckReport& report);

// The light dialog's hint: 0 to 4 is the usual range.
inline constexpr int kUsualMaxLight = 4;

// The report as text (one line a finding, then the counts) and as one line of JSON.
std::string CheckText(const CheckReport& report);
std::string CheckJson(const CheckReport& report);

}  // namespace hl

#include <ostream>

#include "cli/Command.h"
#include "cli/MapInfo.h"
#include "segments/WorldFiles.h"

namespace hl::cli {

namespace {

constexpr char kPresent = '#';
constexpr char kMissing = '.';
constexpr char kRefused = '!';

int RunWorldInfo(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto project = OpenWorld(inv.Positional[0], &error);
  if (!project) return Failure(err, error);
  const SegmentFiles files(*project);
  long present = 0, missing = 0, refused = 0;
  std::string rows;
  for (int r = 0; r < project->Rows; ++r) {
    std::string line(static_cast<std::size_t>(project->Cols), kMissing);
    for (int c = 0; c < project->Cols; ++c) {
      switch (files.Look(c, r).State) {
        case SegmentState::Present:
          line[static_cast<std::size_t>(c)] = kPresent;
          ++present;
          break;
        case SegmentState::Refused:
          line[static_cast<std::size_t>(c)] = kRefused;
          ++refused;
          break;
        case SegmentState::Missing:
          ++missing;
          break;
      }
    }
    rows += (r == 0 ? "\n  \"" : ",\n  \"") + line + "\"";
  }
  out << "{\"ident\":" << JsonTitle(project->Ident) << ",\"cols\":" << project->Cols
      << ",\"rows\":" << project->Rows << ",\"segments\":" << 1LL * project->Cols * project->Rows
      << ",\"present\":" << present << ",\"missing\":" << missing << ",\"refused\":" << refused
      << ",\"segment_rows\":[" << rows << "\n]}\n";
  return 0;
}

}  // namespace

std::vector<Command> WorldInfoCommands() {
  return {{"world-info",
           "hlmap world-info PROJECT.mp",
           "Describes a segment project as JSON: its ident, its segment columns and rows, how\n"
           "many segment files are present, missing or refused, and for each segment row a\n"
           "string with one character per column: '#' the file is there, '.' it is missing\n"
           "(drawn as empty ground), '!' a link or something other than a file stands at its\n"
           "name and is not read. Names are matched as the segment window matches them: exact\n"
           "first, then in any letter case.\n",
           {},
           1,
           1,
           RunWorldInfo}};
}

}  // namespace hl::cli

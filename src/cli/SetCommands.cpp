#include <ostream>

#include "cli/Command.h"
#include "objects/ObjectSets.h"
#include "util/FileLookup.h"

namespace hl::cli {

namespace {

int RunSets(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const std::string& file = inv.Positional[0];
  if (!FindFileIgnoringCase(file)) return Failure(err, "no set file '" + file + "'");
  ObjectSetList sets;
  std::string error;
  if (!sets.LoadSets(file, &error)) return Failure(err, error);
  out << "{\"sets\":[";
  for (std::size_t i = 0; i < sets.Items.size(); ++i) {
    out << (i ? "," : "") << "[";
    const TObjectSet& set = *sets.Items[i];
    for (std::size_t k = 0; k < set.size(); ++k) {
      const TSetCell& c = set[k];
      out << (k ? "," : "") << "{\"X\":" << c.X << ",\"Y\":" << c.Y
          << ",\"TileIndex\":" << c.TileIndex << ",\"ObjIndex\":" << c.ObjIndex
          << ",\"AniFrame\":" << int{c.AniFrame} << ",\"AniTick\":" << int{c.AniTick}
          << ",\"Alpha\":" << int{c.Alpha} << ",\"Light\":" << int{c.Light}
          << ",\"Door\":" << int{c.Door} << ",\"DoorOffset\":" << int{c.DoorOffset}
          << ",\"Marks\":" << int{c.Marks} << "}";
    }
    out << "]";
  }
  out << "]}\n";
  if (const std::string save = inv.Value("--save"); !save.empty()) {
    if (const SaveResult saved = sets.SaveSets(save); !saved) return Failure(err, saved.Message());
  }
  return 0;
}

}  // namespace

std::vector<Command> SetCommands() {
  return {
      {"sets",
       "hlmap sets FILE.set [--save OUT.set]",
       "Reads an object set file (files of the older layout are converted) and prints its sets\n"
       "as JSON, one array of cells per set. --save writes them as a set file of the current\n"
       "layout.\n",
       {{"--save", {}, "write the sets to this file", true, "OUT.set"}},
       1,
       1,
       RunSets}};
}

}  // namespace hl::cli

#include "cli/DrawingCommandNames.h"

#include "cli/Command.h"

namespace hl::cli {

std::vector<Command> DrawingCommandNames() {
  constexpr std::string_view kProgram = "hlmap ";
  std::vector<Command> names;
  for (std::string_view synopsis : kDrawingSynopses) {
    std::string_view name = synopsis.substr(kProgram.size());
    name = name.substr(0, name.find(' '));
    names.push_back({name, synopsis, {}, {}, 0, 0, nullptr});
  }
  return names;
}

}  // namespace hl::cli

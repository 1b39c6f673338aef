#include "cli/Command.h"

namespace hl::cli {

std::vector<Command> DrawingCommands() {
  std::vector<Command> all = LibraryCommands();
  for (Command& c : ViewCommands()) all.push_back(std::move(c));
  for (Command& c : ApplyCommands()) all.push_back(std::move(c));
  for (Command& c : DemoWorldCommands()) all.push_back(std::move(c));
  return all;
}

std::vector<Command> AllCommands() {
  std::vector<Command> all = CoreCommands();
  for (Command& c : DrawingCommands()) all.push_back(std::move(c));
  return all;
}

}  // namespace hl::cli

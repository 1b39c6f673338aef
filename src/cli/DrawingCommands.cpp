#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "images/PngFile.h"

namespace hl::cli {

Option PngLevelOption() {
  return {"--png-level",
          {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
          "PNG compression: 0 stores, 1 (default) is the fastest, 9 the smallest"};
}

int PngLevelOf(const Invocation& inv) {
  const std::string level = inv.Value("--png-level");
  // The parser lets only the choices through: one digit.
  return level.empty() ? kFastPngLevel : level[0] - '0';
}

std::vector<Command> DrawingCommands() {
  std::vector<Command> all = LibraryCommands();
  for (Command& c : ViewCommands()) all.push_back(std::move(c));
  for (Command& c : ApplyCommands()) all.push_back(std::move(c));
  for (Command& c : DemoWorldCommands()) all.push_back(std::move(c));
  for (Command& c : TmxCommands()) all.push_back(std::move(c));
  for (Command& c : WorldRenderCommands()) all.push_back(std::move(c));
  return all;
}

std::vector<Command> AllCommands() {
  std::vector<Command> all = CoreCommands();
  // diff draws its picture here: the core's diff would hand it over to this very program.
  for (Command& c : all) {
    if (c.Name == "diff") c = DiffCommandWithPicture();
  }
  for (Command& c : DrawingCommands()) all.push_back(std::move(c));
  return all;
}

}  // namespace hl::cli

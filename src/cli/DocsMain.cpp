#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "cli/Command.h"
#include "cli/ManPages.h"

// hlmap-docs DIR VERSION: writes hlmap's manual pages into DIR/man1 and its bash completion as
// DIR/hlmap, from the command table itself. The build runs it; the package installs the result.
int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: hlmap-docs DIR VERSION\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const std::string version = argv[2];
  std::error_code ec;
  std::filesystem::create_directories(dir / "man1", ec);
  if (ec) {
    std::cerr << "hlmap-docs: cannot make " << (dir / "man1").string() << ": " << ec.message()
              << "\n";
    return 1;
  }
  const std::vector<hl::cli::Command> commands = hl::cli::AllCommands();
  auto write = [&](const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
      std::cerr << "hlmap-docs: cannot write " << path.string() << "\n";
      return false;
    }
    return true;
  };
  bool ok = write(dir / "man1" / "hlmap.1", hl::cli::MainManPage(commands, version));
  for (const hl::cli::Command& c : commands) {
    ok = ok && write(dir / "man1" / ("hlmap-" + std::string(c.Name) + ".1"),
                     hl::cli::CommandManPage(c, version));
  }
  ok = ok && write(dir / "hlmap", hl::cli::BashCompletion(commands));
  return ok ? 0 : 1;
}

#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/Hlmap.h"
#include "util/FileSizeSignal.h"

// hlmap-draw: the commands of hlmap that read or draw pictures. hlmap hands their command
// lines over; every other command runs here as well.
// Pictures are drawn into QImage and read and written without a GUI application; only text
// needs one, for the fonts its platform brings. Starting it costs more than most pictures take
// to draw, so it is started for pictures that hold text alone.
int main(int argc, char** argv) {
  hl::IgnoreFileSizeSignal();
  std::unique_ptr<QGuiApplication> app;
  hl::HlmapProgram program;
  program.Commands = hl::cli::AllCommands();
  program.ErrIsTerminal = ::isatty(STDERR_FILENO) == 1;
  program.StartFonts = [&] {
    if (app) return;
    // hlmap never opens a window, so it takes the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
      // Qt wants a private runtime folder and complains on every run without one.
      const std::string runtime = "/tmp/hlmap-runtime-" + std::to_string(::getuid());
      ::mkdir(runtime.c_str(), 0700);
      qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    }
    app = std::make_unique<QGuiApplication>(argc, argv);
  };
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return hl::RunHlmap(args, program, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "hlmap: out of memory\n";
    return 1;
  }
}

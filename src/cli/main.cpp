#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/Hlmap.h"

int main(int argc, char** argv) {
  // hlmap draws text (door labels) and reads pictures, which need a GUI application, but it
  // never opens a window.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    // Qt wants a private runtime folder and complains on every run without one.
    const std::string runtime = "/tmp/hlmap-runtime-" + std::to_string(::getuid());
    ::mkdir(runtime.c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
  }
  QGuiApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return hl::RunHlmap(args, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "hlmap: out of memory\n";
    return 1;
  }
}

#include <QCoreApplication>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/Hlmap.h"

int main(int argc, char** argv) {
  // Qt finds its image format plugins through the application object.
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return hl::RunHlmap(args, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "hlmap: out of memory\n";
    return 1;
  }
}

// hlicon: the program's icon, the about box's lighthouse, as PNG files for the desktop's icon
// theme: OUT-DIR/<side>x<side>/harbourlight.png for each side given. Run by the build.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/ui/Lighthouse.h"
#include "images/PngFile.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: hlicon OUT-DIR SIDE...\n");
    return 64;
  }
  for (int i = 2; i < argc; ++i) {
    char* end = nullptr;
    const long side = std::strtol(argv[i], &end, 10);
    if (*argv[i] == '\0' || *end != '\0' || side < 8 || side > 1024) {
      std::fprintf(stderr, "hlicon: a side of 8 to 1024 pixels, not \"%s\"\n", argv[i]);
      return 64;
    }
    const std::string size = std::to_string(side) + "x" + std::to_string(side);
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / size;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
      std::fprintf(stderr, "hlicon: %s: %s\n", folder.c_str(), error.message().c_str());
      return 1;
    }
    const hl::SaveResult written =
        hl::WritePng((folder / "harbourlight.png").string(),
                     hl::LighthouseIcon(static_cast<int>(side)), hl::kMaxPngLevel);
    if (!written) {
      std::fprintf(stderr, "hlicon: %s\n", written.Message().c_str());
      return 1;
    }
  }
  return 0;
}

#pragma once

#include <string_view>
#include <vector>

namespace hl::cli {

// A file of the demo world kept in the repository's demo/ folder, built into hlmap.
struct DemoFile {
  std::string_view Name;
  std::string_view Data;
};

const std::vector<DemoFile>& DemoFiles();

}  // namespace hl::cli

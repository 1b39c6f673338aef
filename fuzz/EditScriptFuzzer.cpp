// Edit scripts as hlmap apply runs them, on a small map. Set files come from the harness's own
// folder, where a set file waits; resizes stay small and the work budget is low (two scrolls'
// worth), so every input runs in milliseconds and a slow one means a real fault.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "app/EditScript.h"
#include "map/MapFile.h"
#include "objects/ObjectSets.h"
#include "util/TextHelpers.h"

namespace {

constexpr int kMaxSide = 160;

const std::string& SetFolder() {
  static const std::string folder = [] {
    const std::string dir = hl::fuzz::ScratchDir() + "/";
    hl::ObjectSetList sets;
    hl::TSetCell a{};
    a.TileIndex = 3;
    a.ObjIndex = 12;
    hl::TSetCell b{};
    b.X = 1;
    b.Y = -1;
    b.TileIndex = -1;
    b.ObjIndex = 65535 + 4;
    sets.Items = {hl::TObjectSet{a, b}, std::nullopt, hl::TObjectSet{b}};
    if (!sets.SaveSets(dir + "kel.set")) abort();
    return dir;
  }();
  return folder;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Inputs the harness leaves out: set files named with a folder (they could name a device that
// blocks, which is the user's business in hlmap) and maps resized beyond a few fills' work.
bool Acceptable(const std::string& text) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const auto w = Words(line);
    if (w.size() >= 2 && w[0] == "set" && w[1].find('/') != std::string::npos) return false;
    if (w.size() == 3 && w[0] == "resize" &&
        (hl::StrToIntDefault(w[1], 1) > kMaxSide || hl::StrToIntDefault(w[2], 1) > kMaxSide)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!Acceptable(text)) return 0;
  auto doc = std::make_unique<hl::MapDocument>();
  doc->SetMapSize(48, 40);
  hl::EditScript script(*doc, hl::kBitCountData, 7, hl::SelectionLimits{});
  script.SetSetFolder(SetFolder());
  script.SetWorkBudget(5'000'000);
  std::istringstream in(text);
  script.Run(in);
  if (doc->MapWidth() < 0 || doc->MapWidth() > 999 || doc->MapHeight() < 0 ||
      doc->MapHeight() > 999) {
    abort();
  }
  // Whatever the script did must save and load back cell for cell; a map resized to no
  // columns or rows is refused by the writer, as no loader would take it back.
  const std::string path = hl::fuzz::ScratchDir() + "/script.map";
  const bool empty = doc->MapWidth() == 0 || doc->MapHeight() == 0;
  if (static_cast<bool>(hl::WriteMapCopy(*doc, path, hl::kBitCountData)) == empty) abort();
  if (empty) return 0;
  auto again = std::make_unique<hl::MapDocument>();
  if (!hl::LoadMap(*again, path)) abort();
  if (again->MapWidth() != doc->MapWidth() || again->MapHeight() != doc->MapHeight()) abort();
  for (int x = 0; x < doc->MapWidth(); ++x)
    for (int y = 0; y < doc->MapHeight(); ++y)
      if (!(again->Cell(x, y) == doc->Cell(x, y))) abort();
  return 0;
}

// The small files of the editor's folder: the first byte chooses a set file or Tile.atr. What
// loads is written back and must read back the same.
#include <cstdlib>

#include "FuzzFiles.h"
#include "objects/ObjectSets.h"
#include "tools/TileAttributes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string dir = hl::fuzz::ScratchDir();
  if (data[0] & 1) {
    hl::fuzz::WriteFile(dir + "/Tile.atr", data + 1, size - 1);
    hl::TileAttributes attributes;
    std::string error;
    if (!attributes.Load(dir, &error)) return 0;
    attributes.SetGroupCount(4);
    attributes.Toggle(1);
    if (!attributes.Save()) abort();
    hl::TileAttributes again;
    if (!again.Load(dir, &error) || again.Values() != attributes.Values()) abort();
    return 0;
  }
  hl::fuzz::WriteFile(dir + "/F.set", data + 1, size - 1);
  hl::ObjectSetList sets;
  std::string error;
  if (!sets.LoadSets(dir + "/F.set", &error)) return 0;
  if (!sets.SaveSets(dir + "/G.set")) abort();
  hl::ObjectSetList again;
  if (!again.LoadSets(dir + "/G.set", &error)) abort();
  // The format cannot keep an empty set at the end of the file: it is dropped on reading.
  auto expected = sets.Items;
  if (!expected.empty() && expected.back() && expected.back()->empty()) expected.pop_back();
  if (again.Items != expected) abort();
  return 0;
}

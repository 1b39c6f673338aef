#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/MainCommands.h"
#include "map/MapDocument.h"
#include "map/MapFile.h"

namespace hl::test {

// Cells that tell maps apart, with an object of library 7 that a real save would move.
inline void Paint(MapDocument& doc, int seed) {
  doc.SetMapSize(12, 9);
  for (int x = 0; x < 12; ++x) {
    for (int y = 0; y < 9; ++y) {
      TMapCell c{};
      c.BackTile = static_cast<std::uint16_t>(x * 31 + y + seed);
      c.Light = static_cast<std::uint8_t>((x + y + seed) % 5);
      doc.SetCell(x, y, c);
    }
  }
  TMapCell object{};
  object.ObjectImage = 12;
  object.ObjectLib = 7;
  doc.SetCell(3, 4, object);
}

inline bool SameCells(const MapDocument& a, const MapDocument& b) {
  if (a.MapWidth() != b.MapWidth() || a.MapHeight() != b.MapHeight()) return false;
  for (int x = 0; x < a.MapWidth(); ++x)
    for (int y = 0; y < a.MapHeight(); ++y)
      if (!(a.Cell(x, y) == b.Cell(x, y))) return false;
  return true;
}

// One editor's document state, as the main window holds it.
struct Editor {
  std::unique_ptr<MapDocument> Doc = std::make_unique<MapDocument>();
  test::ScriptedQuestions Q;
  test::RecordingWindow Window;
  MainCommands Commands{*Doc, Q, Window, kBitCountData};
};

class RecoveryTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string folder_ = dir_.File("state/recovery");
};

}  // namespace hl::test

#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TempDir.h"
#include "map/MapDocument.h"
#include "segments/SegmentProject.h"

namespace hl::test {

// A cell that says which segment and which cell of it it is.
inline TMapCell Marker(int seg, int x, int y) {
  return TMapCell{static_cast<std::uint16_t>(seg + 1), static_cast<std::uint16_t>(x + 1),
                  static_cast<std::uint16_t>(y + 1), 0, 0, 0, 0, 0, 0};
}

class SegmentTest : public ::testing::Test {
 protected:
  // Writes segment (col, row) of the world with ident A as a full 40 x 40 file.
  void WriteSegment(int col, int row) {
    auto doc = std::make_unique<MapDocument>();
    for (int x = 0; x < 40; ++x)
      for (int y = 0; y < 40; ++y) doc->SetCell(x, y, Marker(col * 10 + row, x, y));
    ASSERT_TRUE(SaveSegment(*doc, dir_.File(SegmentName("A", col, row) + ".sem"), 0, 0));
  }
  SegmentWindow Window(int cols, int rows, int col, int row) {
    SegmentWindow w;
    w.ProjectDir = dir_.Path() + "/";
    w.PickWindow("A", cols, rows, col, row);
    return w;
  }
  test::TempDir dir_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
  std::string error_;
};

}  // namespace hl::test

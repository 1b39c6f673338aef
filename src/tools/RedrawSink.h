#pragma once

namespace hl {

// Tools never draw: they say which cells they changed, and the map view redraws them (tests
// and scripts record or ignore it).
class RedrawSink {
 public:
  virtual ~RedrawSink() = default;
  // Cells x .. x + w and y .. y + h, both bounds inclusive.
  virtual void RedrawCells(int x, int y, int w, int h) = 0;
  virtual void RedrawCellObject(int x, int y) = 0;
};

class NoRedraw : public RedrawSink {
 public:
  void RedrawCells(int, int, int, int) override {}
  void RedrawCellObject(int, int) override {}
};

}  // namespace hl

#pragma once

#include "util/WriteFault.h"

namespace hl::test {

// Plants a failure in the file layer for as long as it lives, and clears it however the test
// ends.
class PlantedFault {
 public:
  explicit PlantedFault(WriteFault fault) { PlantWriteFault(fault); }
  ~PlantedFault() { PlantWriteFault({}); }
  PlantedFault(const PlantedFault&) = delete;
  PlantedFault& operator=(const PlantedFault&) = delete;
};

}  // namespace hl::test

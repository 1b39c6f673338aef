#pragma once

#include <cstdint>
#include <random>

namespace hl {

// The one source of randomness of the tools (random full variants); seeded in tests and
// scripts so that their results repeat.
class ToolRandom {
 public:
  explicit ToolRandom(std::uint32_t seed = std::random_device{}()) : engine_(seed) {}
  void Seed(std::uint32_t seed) { engine_.seed(seed); }
  // Uniform in 0 .. n - 1.
  int Next(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }

 private:
  std::mt19937 engine_;
};

}  // namespace hl

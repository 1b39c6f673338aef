#pragma once

#include <cmath>
#include <limits>

namespace hl {

namespace detail {
inline int ClampToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  if (v <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  return static_cast<int>(v);
}
}  // namespace detail

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Scaled image
// and outline sizes use it; doing it by hand keeps it independent of the FPU rounding mode.
inline int Round(double v) {
  const double down = std::floor(v);
  const double diff = v - down;
  double r = down;
  if (diff > 0.5) {
    r = down + 1.0;
  } else if (diff == 0.5) {
    r = std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
  }
  return detail::ClampToInt(r);
}

// Drops the fraction, towards zero. Cell positions in pixels use it.
inline int Trunc(double v) {
  return detail::ClampToInt(std::trunc(v));
}

// The same two roundings of the exact quotient a / b (b > 0) in integers, for geometry whose
// factors are exact decimals: Trunc(15 x 48 x 1.4) must be 1008, which a double misses.
inline long long TruncDiv(long long a, long long b) {
  return a / b;
}
inline long long RoundDiv(long long a, long long b) {
  long long q = a / b, r = a % b;
  if (r < 0) {
    q -= 1;
    r += b;
  }
  if (2 * r > b || (2 * r == b && (q & 1) != 0)) ++q;
  return q;
}

}  // namespace hl

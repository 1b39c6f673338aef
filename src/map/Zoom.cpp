#include "map/Zoom.h"

#include <cctype>

namespace hl {

int ZoomOutStep(int z) {
  if (z > 21) {
    z -= 20;
    return z < 20 ? 20 : z;
  }
  z -= 5;
  return z < kMinZoom ? kMinZoom : z;
}

int ZoomInStep(int z) {
  if (z >= 20) {
    z += 20;
    if (z > 100 && z < 120) z = 100;
    return z > kMaxZoom ? kMaxZoom : z;
  }
  return z + 5;
}

std::string ZoomLabel(int z) {
  return "100:" + std::to_string(z);
}

std::optional<int> ParseZoom(const std::string& text) {
  int whole = 0, fraction = 0, places = 0;
  std::size_t i = 0;
  if (text.empty()) return std::nullopt;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (i > 2) return std::nullopt;
    whole = whole * 10 + (text[i] - '0');
  }
  if (i == 0) return std::nullopt;
  if (i < text.size()) {
    if (text[i++] != '.') return std::nullopt;
    for (; i < text.size(); ++i, ++places) {
      if (places == 2 || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
      fraction = fraction * 10 + (text[i] - '0');
    }
  }
  if (places == 1) fraction *= 10;
  const int z = whole * kZoomDenominator + fraction;
  if (z < kMinZoom || z > kMaxZoom) return std::nullopt;
  return z;
}

}  // namespace hl

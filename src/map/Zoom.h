#pragma once

#include <optional>
#include <string>

#include "map/MapUnits.h"

namespace hl {

// The zoom is held in exact hundredths; these are its two buttons. "Out" (control ZoomIn,
// handler ZoomInClick) makes the view smaller, "In" (control ZoomOut) larger.
int ZoomOutStep(int hundredths);
int ZoomInStep(int hundredths);
// "100:40" at zoom 0.4.
std::string ZoomLabel(int hundredths);
// A typed zoom ("0.4", "1.25", "2", "001", "1.") as hundredths within kMinZoom .. kMaxZoom:
// at most three whole digits and two decimals. Nothing for anything else.
std::optional<int> ParseZoom(const std::string& text);

}  // namespace hl

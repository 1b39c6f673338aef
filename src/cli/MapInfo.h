#pragma once

#include <string>
#include <string_view>

#include "map/MapDocument.h"
#include "map/MapFile.h"

namespace hl {

// How many cells in use carry each kind of content.
struct MapCellCounts {
  long Back = 0;
  long Middle = 0;
  long Object = 0;
  long Light = 0;
  long Door = 0;
  long BackMark = 0;
  long FrontMark = 0;
};

MapCellCounts CountCells(const MapDocument& doc);

// A JSON string literal of raw title bytes: printable ASCII as it is (quote and backslash
// escaped), every other byte as \u00XX.
std::string JsonTitle(std::string_view bytes);

// The one-line description that `hlmap info` prints.
std::string MapInfoJson(const TMapHeader& header, const MapDocument& doc);

}  // namespace hl

#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "map/MapDocument.h"

namespace hl {

// Brings cells of the older layout into the current one: every object of the map in use
// refers to library 0 and no cell carries FrontMark. Other fields, BackMark included, stay.
void ConvertOldCells(MapDocument& doc);

enum class BatchOutcome { Converted, Skipped, Failed };

// Converts each file in place, in the given order: Skipped when it does not load, Failed when
// it does not save. The work happens in a document of its own, so the map being edited is
// never touched. `progress` hears of every file and may stop the batch by returning false.
// Returns true when every file was converted.
bool ConvertOldFiles(std::span<const std::string> files, std::uint8_t mapBitCount,
                     const std::function<bool(const std::string&, BatchOutcome)>& progress);

}  // namespace hl

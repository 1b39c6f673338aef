#pragma once

#include <QRect>
#include <memory>
#include <string>

#include "map/MapDocument.h"

namespace hl::test {

// Objects2 of a test world: patterned (no two rows or columns alike), so that an image drawn
// a pixel off shows.
inline constexpr int kWideObject = 0;   // 2100 x 60: reaches over more than one segment
inline constexpr int kTallObject = 1;   // 48 x 1400: reaches up more than one segment row
inline constexpr int kSmallObject = 2;  // 100 x 90
inline constexpr QSize kObjects2Sizes[] = {{2100, 60}, {48, 1400}, {100, 90}};

// A world of cols x rows segments with ident "T" in `folder` ("T.mp" and its .sem files),
// beside the test libraries (WriteTestLibraries with odd sizes) and an Objects2 library of
// the objects above. Every even cell has a big tile, most cells a small tile, some an object
// of either library, and objects stand just below and to the left of segment borders so that
// they reach over them. Returns the whole world as one map (cols x 40 by rows x 40 cells).
std::unique_ptr<MapDocument> WriteTestWorld(const std::string& folder, int cols, int rows,
                                            unsigned seed);

// The cells of `segments` (a rectangle of the world's segments) as one map of their own, as
// a designer would assemble them: what world-render draws of that area.
std::unique_ptr<MapDocument> AssembleArea(const MapDocument& world, const QRect& segments);

}  // namespace hl::test

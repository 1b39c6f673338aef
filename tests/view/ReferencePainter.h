#pragma once

#include <QFont>
#include <QImage>

#include "images/LibrarySet.h"
#include "map/MapDocument.h"
#include "view/MapRenderer.h"

namespace hl::test {

// The map repaint written the plain way: every pass walks all its rows and columns, tests
// each cell against the visible window and draws each image with one call of the library
// drawing operations on a QPainter (a temporary image per transparent draw); tiles of the
// libraries' own sizes are stretched over the cells they cover. The renderer must give the
// same pixels; benchmarks measure it as the naive yardstick.
void ReferencePaintMap(QImage& target, QPoint origin, const MapDocument& doc, LibrarySet& libs,
                       int zoom, const ViewOptions& options, const ViewFrame& frame,
                       const QFont& font);

}  // namespace hl::test

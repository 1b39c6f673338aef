#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "images/LibrarySet.h"
#include "map/MapDocument.h"
#include "map/MapFile.h"
#include "util/SaveResult.h"

namespace hl {

// Tiled's TMX format, both ways: our maps as orthogonal TMX maps of 48 x 32 cells that Tiled
// and its tmxrasterizer read, and such maps back.
//
// The display layers, one per drawing pass in the view's order ("big tiles", "small tiles",
// "objects"), hold each image where the view draws it: big tiles on their even cells, every
// tileset anchored at the bottom-left of a cell as Tiled anchors tiles, with a tile offset
// that puts the top of a big or small tile at the top of its cell. Tilesets are image
// collections named after the libraries ("Tiles", "SmTiles", "Objects", "Objects2" ...),
// whose tile ids are the image numbers, and only the images the map shows are exported.
//
// What the display cannot say (the copies of a big tile on the other cells of its block,
// objects their library lacks, animation, lights, doors, marks, the header with its title)
// travels in the map property kTmxCarrierProperty: the map file's 52-byte header and every
// cell record, column by column, zlib-compressed and in base64.

inline constexpr char kTmxCarrierProperty[] = "harbourlight-cells";
inline constexpr const char* kTmxLayerNames[3] = {"big tiles", "small tiles", "objects"};

// The folder beside OUT.tmx that takes the exported images: "OUT.tilesets".
std::string TmxImageFolder(const std::string& tmxPath);

// Writes the document as a TMX map at `path` and its images into TmxImageFolder(path).
// `header` is the map file's header as it stands (width and height are the document's).
SaveResult ExportTmx(const MapDocument& doc, const std::array<std::uint8_t, kMapHeaderSize>& header,
                     LibrarySet& libraries, const std::string& path);

// Reads a TMX map made by ExportTmx, and edited since, into `doc` and `header`: the display
// layers decide which big tile, small tile and object each cell holds, the carrier the rest.
// Without a carrier the header is a new one with `mapBitCount`. Layer data may be CSV or
// base64 (plain, zlib or gzip). False with the reason (naming the cell where a tile is at
// fault) for anything it cannot take: other orientations or cell sizes, infinite maps,
// external tilesets, zstd, flipped tiles, tiles of no library or on a cell where the view
// never draws them.
bool ImportTmx(const std::string& path, std::uint8_t mapBitCount, MapDocument& doc,
               std::array<std::uint8_t, kMapHeaderSize>& header, std::string* why);

}  // namespace hl

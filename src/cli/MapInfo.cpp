#include "cli/MapInfo.h"

#include <algorithm>
#include <cstdio>

namespace hl {

MapCellCounts CountCells(const MapDocument& doc) {
  MapCellCounts n;
  const int width = std::clamp(doc.MapWidth(), 0, kStorageSide);
  const int height = std::clamp(doc.MapHeight(), 0, kStorageSide);
  for (int x = 0; x < width; ++x) {
    const CellStorage::Column& column = doc.Cells().ColumnAt(x);
    for (int y = 0; y < height; ++y) {
      const TMapCell& c = column[y];
      n.Back += (c.BackTile & kNumberBits) != 0;
      n.Middle += c.MiddleTile != 0;
      n.Object += (c.ObjectImage & kNumberBits) != 0;
      n.Light += c.Light != 0;
      n.Door += c.Door != 0;
      n.BackMark += (c.BackTile & kMarkBit) != 0;
      n.FrontMark += (c.ObjectImage & kMarkBit) != 0;
    }
  }
  return n;
}

std::string JsonTitle(std::string_view bytes) {
  std::string out = "\"";
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += ch;
    } else if (b >= 0x20 && b < 0x7F) {
      out += ch;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", b);
      out += escaped;
    }
  }
  out += '"';
  return out;
}

std::string MapInfoJson(const TMapHeader& header, const MapDocument& doc) {
  const MapCellCounts n = CountCells(doc);
  std::string s;
  s += "{\"width\":" + std::to_string(doc.MapWidth());
  s += ",\"height\":" + std::to_string(doc.MapHeight());
  s += ",\"title\":" + JsonTitle(header.TitleText());
  s += ",\"bitcount\":" + std::to_string(header.MapBitCount);
  s += ",\"cells\":{\"back\":" + std::to_string(n.Back);
  s += ",\"middle\":" + std::to_string(n.Middle);
  s += ",\"object\":" + std::to_string(n.Object);
  s += ",\"light\":" + std::to_string(n.Light);
  s += ",\"door\":" + std::to_string(n.Door);
  s += ",\"backmark\":" + std::to_string(n.BackMark);
  s += ",\"frontmark\":" + std::to_string(n.FrontMark);
  s += "}}";
  return s;
}

}  // namespace hl

#include "tools/Region.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "util/LittleEndian.h"

namespace hl {

namespace {

constexpr char kMagic[] = "HLCELLS1";
constexpr std::size_t kMagicSize = sizeof(kMagic) - 1;
constexpr std::size_t kHeaderSize = kMagicSize + 2 + 2 + 1;

int FloorToEven(int v) {
  return v >= 0 ? v - v % 2 : -((-v + 1) / 2 * 2);
}
int TowardZeroToEven(int v) {
  return v - v % 2;
}

CellRect Intersect(const CellRect& a, const CellRect& b) {
  return {std::max(a.X0, b.X0), std::max(a.Y0, b.Y0), std::min(a.X1, b.X1), std::min(a.Y1, b.Y1)};
}

// One cell written with the copy's layers over what it holds.
void WriteCell(TMapCell& target, const TMapCell& source, std::uint8_t layers, bool merge) {
  if (layers & kRegionGround) {
    const std::uint16_t tile = source.BackTile & kNumberBits;
    if (!merge || tile != 0) target.BackTile = static_cast<std::uint16_t>((target.BackTile & kMarkBit) | tile);
  }
  if ((layers & kRegionSmall) && (!merge || source.MiddleTile != 0)) {
    target.MiddleTile = source.MiddleTile;
  }
  if (layers & kRegionObjects) {
    const std::uint16_t image = source.ObjectImage & kNumberBits;
    if (!merge || image != 0) {
      target.ObjectImage = static_cast<std::uint16_t>((target.ObjectImage & kMarkBit) | image);
      target.ObjectLib = source.ObjectLib;
      target.AniFrame = source.AniFrame;
      target.AniTick = source.AniTick;
    }
  }
  if (layers & kRegionAttributes) {
    // A merge only sets marks: a clear mark of the copy is an empty unit.
    auto mark = [merge](std::uint16_t& field, std::uint16_t from) {
      if (from & kMarkBit) {
        field |= kMarkBit;
      } else if (!merge) {
        field &= kNumberBits;
      }
    };
    mark(target.BackTile, source.BackTile);
    mark(target.ObjectImage, source.ObjectImage);
    if (!merge || source.Light != 0) target.Light = source.Light;
    if (!merge || source.Door != 0) {
      target.Door = source.Door;
      target.DoorOffset = source.DoorOffset;
    }
  }
}

}  // namespace

std::array<std::uint32_t, 3> RegionLayerMask(std::uint8_t layers) {
  TMapCell mask{};
  if (layers & kRegionGround) mask.BackTile |= kNumberBits;
  if (layers & kRegionSmall) mask.MiddleTile = 0xFFFF;
  if (layers & kRegionObjects) {
    mask.ObjectImage |= kNumberBits;
    mask.ObjectLib = mask.AniFrame = mask.AniTick = 0xFF;
  }
  if (layers & kRegionAttributes) {
    mask.BackTile |= kMarkBit;
    mask.ObjectImage |= kMarkBit;
    mask.Light = mask.Door = mask.DoorOffset = 0xFF;
  }
  std::array<std::uint32_t, 3> words;
  std::memcpy(words.data(), &mask, sizeof mask);
  return words;
}

namespace {

void ReplaceRun(TMapCell* target, const TMapCell* source, std::size_t count,
                const std::array<std::uint32_t, 3>& mask) {
  if ((mask[0] & mask[1] & mask[2]) == 0xFFFFFFFFu) {
    std::memcpy(target, source, count * sizeof(TMapCell));
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t t[3], s[3];
    std::memcpy(t, target + i, sizeof t);
    std::memcpy(s, source + i, sizeof s);
    for (int k = 0; k < 3; ++k) t[k] = (t[k] & ~mask[k]) | (s[k] & mask[k]);
    std::memcpy(target + i, t, sizeof t);
  }
}

void ClearCell(TMapCell& c, std::uint8_t layers) {
  if (layers & kRegionGround) c.BackTile &= kMarkBit;
  if (layers & kRegionSmall) c.MiddleTile = 0;
  if (layers & kRegionObjects) {
    c.ObjectImage &= kMarkBit;
    c.ObjectLib = 0;
    c.AniFrame = 0;
    c.AniTick = 0;
  }
  if (layers & kRegionAttributes) {
    c.BackTile &= kNumberBits;
    c.ObjectImage &= kNumberBits;
    c.Light = 0;
    c.Door = 0;
    c.DoorOffset = 0;
  }
}

}  // namespace

CellRect RegionBounds(const MapDocument& doc) {
  return {0, 0, std::min(doc.MapWidth(), kAccessEnd) - 1, std::min(doc.MapHeight(), kAccessEnd) - 1};
}

CellRect SelectionRect(const MapDocument& doc, int x0, int y0, int x1, int y1,
                       std::uint8_t layers) {
  CellRect r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
  if (layers & kRegionGround) {
    r.X0 = FloorToEven(r.X0);
    r.Y0 = FloorToEven(r.Y0);
    r.X1 = FloorToEven(r.X1) + 1;
    r.Y1 = FloorToEven(r.Y1) + 1;
  }
  return Intersect(r, RegionBounds(doc));
}

RegionCopy CopyRegion(const MapDocument& doc, const CellRect& rect, std::uint8_t layers) {
  RegionCopy copy;
  copy.Layers = layers;
  if (rect.Empty()) return copy;
  copy.Width = rect.Width();
  copy.Height = rect.Height();
  copy.Cells.assign(static_cast<std::size_t>(copy.Width) * static_cast<std::size_t>(copy.Height),
                    TMapCell{});
  const CellRect on = Intersect(rect, RegionBounds(doc));
  for (int x = on.X0; x <= on.X1 && !on.Empty(); ++x) {
    // Whole runs of a column at once: the storage keeps columns contiguous.
    const TMapCell* from = doc.Cells().ColumnAt(x).data() + on.Y0;
    TMapCell* to = &copy.Cells[static_cast<std::size_t>(x - rect.X0) * copy.Height +
                               static_cast<std::size_t>(on.Y0 - rect.Y0)];
    std::memcpy(to, from, static_cast<std::size_t>(on.Height()) * sizeof(TMapCell));
  }
  return copy;
}

void DeleteRegion(MapDocument& doc, const CellRect& rect, std::uint8_t layers) {
  const CellRect on = Intersect(rect, RegionBounds(doc));
  for (int x = on.X0; x <= on.X1 && !on.Empty(); ++x) {
    auto& column = doc.WritableColumn(x);
    for (int y = on.Y0; y <= on.Y1; ++y) ClearCell(column[y], layers);
  }
}

std::pair<int, int> PasteOrigin(const RegionCopy& copy, int x, int y) {
  if (copy.Layers & kRegionGround) return {FloorToEven(x), FloorToEven(y)};
  return {x, y};
}

CellRect PasteRegion(MapDocument& doc, const RegionCopy& copy, int x, int y, bool merge) {
  if (copy.Empty()) return {};
  const auto [ox, oy] = PasteOrigin(copy, x, y);
  const CellRect target{ox, oy, ox + copy.Width - 1, oy + copy.Height - 1};
  const CellRect on = Intersect(target, RegionBounds(doc));
  const auto mask = RegionLayerMask(copy.Layers);
  for (int cx = on.X0; cx <= on.X1 && !on.Empty(); ++cx) {
    auto& column = doc.WritableColumn(cx);
    if (!merge) {
      ReplaceRun(&column[static_cast<std::size_t>(on.Y0)], &copy.At(cx - ox, on.Y0 - oy),
                 static_cast<std::size_t>(on.Height()), mask);
      continue;
    }
    for (int cy = on.Y0; cy <= on.Y1; ++cy) {
      WriteCell(column[cy], copy.At(cx - ox, cy - oy), copy.Layers, merge);
    }
  }
  return on;
}

std::pair<int, int> MoveOffset(std::uint8_t layers, int dx, int dy) {
  if (layers & kRegionGround) return {TowardZeroToEven(dx), TowardZeroToEven(dy)};
  return {dx, dy};
}

CellRect MoveRegion(MapDocument& doc, const CellRect& rect, std::uint8_t layers, int dx, int dy) {
  const auto [mx, my] = MoveOffset(layers, dx, dy);
  const RegionCopy copy = CopyRegion(doc, rect, layers);
  DeleteRegion(doc, rect, layers);
  PasteRegion(doc, copy, rect.X0 + mx, rect.Y0 + my, false);
  return Intersect({rect.X0 + mx, rect.Y0 + my, rect.X1 + mx, rect.Y1 + my}, RegionBounds(doc));
}

std::vector<std::uint8_t> EncodeCells(const RegionCopy& copy) {
  std::vector<std::uint8_t> bytes(kHeaderSize + copy.Cells.size() * sizeof(TMapCell));
  std::memcpy(bytes.data(), kMagic, kMagicSize);
  StoreLE<std::uint16_t>(bytes.data() + kMagicSize, static_cast<std::uint16_t>(copy.Width));
  StoreLE<std::uint16_t>(bytes.data() + kMagicSize + 2, static_cast<std::uint16_t>(copy.Height));
  bytes[kMagicSize + 4] = copy.Layers;
  // TMapCell is the stored record, byte for byte.
  if (!copy.Cells.empty()) {
    std::memcpy(bytes.data() + kHeaderSize, copy.Cells.data(), copy.Cells.size() * sizeof(TMapCell));
  }
  return bytes;
}

std::optional<RegionCopy> DecodeCells(std::span<const std::uint8_t> bytes, std::string* why) {
  auto refuse = [why](const char* reason) -> std::optional<RegionCopy> {
    if (why) *why = reason;
    return std::nullopt;
  };
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, kMagicSize) != 0) {
    return refuse("the clipboard holds no map cells");
  }
  RegionCopy copy;
  copy.Width = LoadLE<std::uint16_t>(bytes.data() + kMagicSize);
  copy.Height = LoadLE<std::uint16_t>(bytes.data() + kMagicSize + 2);
  copy.Layers = bytes[kMagicSize + 4];
  if (copy.Width < 1 || copy.Height < 1 || copy.Width > kAccessEnd || copy.Height > kAccessEnd) {
    return refuse("the cells on the clipboard have a size no map can hold");
  }
  if (copy.Layers == 0 || (copy.Layers & ~kRegionAllLayers) != 0) {
    return refuse("the cells on the clipboard name unknown layers");
  }
  const std::size_t count = static_cast<std::size_t>(copy.Width) * copy.Height;
  if (bytes.size() != kHeaderSize + count * sizeof(TMapCell)) {
    return refuse("the cells on the clipboard are damaged: their length does not match their size");
  }
  copy.Cells.resize(count);
  std::memcpy(copy.Cells.data(), bytes.data() + kHeaderSize, count * sizeof(TMapCell));
  return copy;
}

TObjectSet SetFromRegion(const RegionCopy& copy, bool* hadSmallTiles) {
  TObjectSet set;
  bool small = false;
  for (int x = 0; x < copy.Width; ++x) {
    for (int y = 0; y < copy.Height; ++y) {
      const TMapCell& c = copy.At(x, y);
      TSetCell r;
      r.X = x;
      r.Y = y;
      r.TileIndex = -1;
      r.ObjIndex = -1;
      // Every cell of a block takes the tile of the block's even cell, since the set placement
      // writes a record's tile into its own cell only, and painting gives all four cells one.
      if (copy.Layers & kRegionGround) {
        r.TileIndex = (copy.At(x & ~1, y & ~1).BackTile & kNumberBits) - 1;
      }
      if ((copy.Layers & kRegionSmall) && c.MiddleTile != 0) small = true;
      if (copy.Layers & kRegionObjects) {
        r.ObjIndex = ObjectIndex::FromCell(c.ObjectLib, c.ObjectImage & kNumberBits);
        if (r.ObjIndex >= 0) {
          r.AniFrame = c.AniFrame & 0x7F;
          r.Alpha = (c.AniFrame & 0x80) != 0 ? 1 : 0;
          r.AniTick = c.AniTick;
        }
      }
      if (copy.Layers & kRegionAttributes) {
        r.Light = c.Light;
        r.Door = c.Door;
        r.DoorOffset = c.Door != 0 ? c.DoorOffset : 0;
        r.Marks = static_cast<std::uint8_t>(((c.BackTile & kMarkBit) ? 1 : 0) |
                                            ((c.ObjectImage & kMarkBit) ? 2 : 0));
      }
      if (r.TileIndex >= 0 || r.ObjIndex >= 0 || r.Light != 0 || r.Door != 0 || r.Marks != 0) {
        set.push_back(r);
      }
    }
  }
  if (hadSmallTiles) *hadSmallTiles = small;
  return set;
}

}  // namespace hl

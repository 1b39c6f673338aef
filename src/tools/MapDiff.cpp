#include "tools/MapDiff.h"

#include <algorithm>
#include <cstring>

namespace hl {

namespace {

constexpr std::array<RegionLayer, 4> kLayers = {kRegionGround, kRegionSmall, kRegionObjects,
                                                kRegionAttributes};

std::array<std::uint32_t, 3> Words(const TMapCell& cell) {
  std::array<std::uint32_t, 3> w;
  std::memcpy(w.data(), &cell, sizeof cell);
  return w;
}

// The bounding rectangles of the 4-connected groups of set cells in a column-major mask.
// Groups are found by a flood from each first cell in row order, so they come out sorted.
std::vector<CellRect> Groups(const std::vector<std::uint8_t>& mask, int width, int height) {
  std::vector<CellRect> areas;
  std::vector<std::uint8_t> seen(mask.size(), 0);
  std::vector<std::pair<int, int>> stack;
  auto at = [height](int x, int y) {
    return static_cast<std::size_t>(x) * static_cast<std::size_t>(height) +
           static_cast<std::size_t>(y);
  };
  // Most maps change in few places: columns without a change are skipped by rows of none.
  std::vector<std::uint8_t> rowHasAny(static_cast<std::size_t>(height), 0);
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y) rowHasAny[static_cast<std::size_t>(y)] |= mask[at(x, y)];
  for (int y = 0; y < height; ++y) {
    if (!rowHasAny[static_cast<std::size_t>(y)]) continue;
    for (int x = 0; x < width; ++x) {
      if (!mask[at(x, y)] || seen[at(x, y)]) continue;
      CellRect r{x, y, x, y};
      seen[at(x, y)] = 1;
      stack.push_back({x, y});
      while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        stack.pop_back();
        r.X0 = std::min(r.X0, cx);
        r.X1 = std::max(r.X1, cx);
        r.Y0 = std::min(r.Y0, cy);
        r.Y1 = std::max(r.Y1, cy);
        const std::pair<int, int> next[4] = {
            {cx - 1, cy}, {cx + 1, cy}, {cx, cy - 1}, {cx, cy + 1}};
        for (const auto& [nx, ny] : next) {
          if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
          if (!mask[at(nx, ny)] || seen[at(nx, ny)]) continue;
          seen[at(nx, ny)] = 1;
          stack.push_back({nx, ny});
        }
      }
      areas.push_back(r);
    }
  }
  // A group's first cell in row order is its top row's leftmost, but its rectangle's
  // top-left column may lie further left: order by the rectangle.
  std::stable_sort(areas.begin(), areas.end(), [](const CellRect& a, const CellRect& b) {
    return a.Y0 != b.Y0 ? a.Y0 < b.Y0 : a.X0 < b.X0;
  });
  return areas;
}

std::string RectText(const CellRect& r) {
  return std::to_string(r.X0) + "," + std::to_string(r.Y0) + " - " + std::to_string(r.X1) + "," +
         std::to_string(r.Y1) + " (" + std::to_string(r.Width()) + " x " +
         std::to_string(r.Height()) + ")";
}

}  // namespace

const char* LayerName(RegionLayer layer) {
  switch (layer) {
    case kRegionGround:
      return "ground";
    case kRegionSmall:
      return "small";
    case kRegionObjects:
      return "objects";
    default:
      return "attributes";
  }
}

bool MapDiff::Equal() const {
  if (SizeChanged()) return false;
  return std::all_of(Layers.begin(), Layers.end(),
                     [](const LayerDiff& l) { return l.ChangedCells == 0; });
}

MapDiff DiffMaps(const DiffSide& before, const DiffSide& after) {
  MapDiff diff;
  diff.OldWidth = before.Doc ? before.Width : 0;
  diff.OldHeight = before.Doc ? before.Height : 0;
  diff.NewWidth = after.Doc ? after.Width : 0;
  diff.NewHeight = after.Doc ? after.Height : 0;
  // A document holds at most its storage, whatever size it claims.
  diff.Width = std::clamp(std::max(diff.OldWidth, diff.NewWidth), 0, kStorageSide);
  diff.Height = std::clamp(std::max(diff.OldHeight, diff.NewHeight), 0, kStorageSide);
  const auto cells = static_cast<std::size_t>(diff.Width) * static_cast<std::size_t>(diff.Height);
  std::array<std::vector<std::uint8_t>, 4> masks;
  std::array<std::array<std::uint32_t, 3>, 4> layerMasks;
  for (std::size_t i = 0; i < kLayers.size(); ++i) {
    masks[i].assign(cells, 0);
    layerMasks[i] = RegionLayerMask(kLayers[i]);
    diff.Layers[i].Layer = kLayers[i];
  }
  diff.AnyChange.assign(cells, 0);
  const TMapCell empty{};
  auto side = [&](const DiffSide& s, int x, int y) -> const TMapCell& {
    return s.Doc && x < s.Width && y < s.Height ? s.Doc->Cell(x, y) : empty;
  };
  for (int x = 0; x < diff.Width; ++x) {
    for (int y = 0; y < diff.Height; ++y) {
      const auto a = Words(side(before, x, y));
      const auto b = Words(side(after, x, y));
      const std::uint32_t d0 = a[0] ^ b[0], d1 = a[1] ^ b[1], d2 = a[2] ^ b[2];
      if ((d0 | d1 | d2) == 0) continue;
      const std::size_t at = static_cast<std::size_t>(x) * static_cast<std::size_t>(diff.Height) +
                             static_cast<std::size_t>(y);
      diff.AnyChange[at] = 1;
      for (std::size_t i = 0; i < kLayers.size(); ++i) {
        const auto& m = layerMasks[i];
        if ((d0 & m[0]) | (d1 & m[1]) | (d2 & m[2])) {
          masks[i][at] = 1;
          ++diff.Layers[i].ChangedCells;
        }
      }
    }
  }
  for (std::size_t i = 0; i < kLayers.size(); ++i) {
    if (diff.Layers[i].ChangedCells > 0)
      diff.Layers[i].Areas = Groups(masks[i], diff.Width, diff.Height);
  }
  diff.AnyAreas = Groups(diff.AnyChange, diff.Width, diff.Height);
  return diff;
}

std::string DiffText(const MapDiff& diff) {
  std::string s;
  if (diff.SizeChanged()) {
    s += "size: " + std::to_string(diff.OldWidth) + " x " + std::to_string(diff.OldHeight) +
         " -> " + std::to_string(diff.NewWidth) + " x " + std::to_string(diff.NewHeight) + "\n";
  }
  for (const LayerDiff& l : diff.Layers) {
    s += LayerName(l.Layer);
    if (l.ChangedCells == 0) {
      s += ": no change\n";
      continue;
    }
    s += ": " + std::to_string(l.ChangedCells) + (l.ChangedCells == 1 ? " cell" : " cells") +
         " changed in " + std::to_string(l.Areas.size()) +
         (l.Areas.size() == 1 ? " area\n" : " areas\n");
    const std::size_t listed = std::min(l.Areas.size(), kListedAreas);
    for (std::size_t i = 0; i < listed; ++i) s += "  " + RectText(l.Areas[i]) + "\n";
    if (l.Areas.size() > listed)
      s += "  and " + std::to_string(l.Areas.size() - listed) + " more areas\n";
  }
  return s;
}

std::string DiffJson(const MapDiff& diff) {
  std::string s = "{\"equal\":";
  s += diff.Equal() ? "true" : "false";
  s += ",\"old\":{\"width\":" + std::to_string(diff.OldWidth) +
       ",\"height\":" + std::to_string(diff.OldHeight) + "}";
  s += ",\"new\":{\"width\":" + std::to_string(diff.NewWidth) +
       ",\"height\":" + std::to_string(diff.NewHeight) + "}";
  s += ",\"layers\":{";
  for (std::size_t i = 0; i < diff.Layers.size(); ++i) {
    const LayerDiff& l = diff.Layers[i];
    if (i > 0) s += ',';
    s += "\"" + std::string(LayerName(l.Layer)) +
         "\":{\"cells\":" + std::to_string(l.ChangedCells) + ",\"areas\":[";
    const std::size_t listed = std::min(l.Areas.size(), kListedAreas);
    for (std::size_t k = 0; k < listed; ++k) {
      const CellRect& r = l.Areas[k];
      if (k > 0) s += ',';
      s += "{\"x0\":" + std::to_string(r.X0) + ",\"y0\":" + std::to_string(r.Y0) +
           ",\"x1\":" + std::to_string(r.X1) + ",\"y1\":" + std::to_string(r.Y1) + "}";
    }
    s += "],\"more_areas\":" + std::to_string(l.Areas.size() - listed) + "}";
  }
  s += "}}";
  return s;
}

}  // namespace hl

#include "objects/ObjectEditModel.h"

#include <algorithm>

namespace hl {

void ObjectEditModel::LoadCells(const TObjectSet* set) {
  cells_.clear();
  recent_.clear();
  if (set) cells_.assign(set->begin(), set->end());
}

void ObjectEditModel::StoreCells(TObjectSet& list) const {
  list.insert(list.end(), cells_.begin(), cells_.end());
}

void ObjectEditModel::ClearCells() {
  LoadCells(nullptr);
}

ObjectEditModel::Slot ObjectEditModel::Walk(int c, int r) {
  for (auto it = cells_.begin(); it != cells_.end(); ++it) {
    if (it->X == c && it->Y == r) return {it, it, true};
    if (it->Y > r) return {cells_.end(), it, false};
  }
  return {cells_.end(), cells_.end(), false};
}

void ObjectEditModel::AddRecord(Records::iterator at, const TSetCell& record) {
  const auto added = cells_.insert(at, record);
  if (recent_.size() >= kRecent) recent_.erase(recent_.begin());
  recent_.push_back(added);
}

void ObjectEditModel::EditCell(int c, int r, int tile, int object, int toggle) {
  if (object == kNoValue || tile == kNoValue) return;
  const Slot slot = Walk(c, r);
  if (slot.Found) {
    if (object != kUnchanged) slot.Match->ObjIndex = object;
    if (tile != kUnchanged) slot.Match->TileIndex = tile;
    if (toggle != kUnchanged) slot.Match->Marks ^= static_cast<std::uint8_t>(toggle & 255);
    return;
  }
  TSetCell record{};
  record.X = c;
  record.Y = r;
  record.TileIndex = tile == kUnchanged ? -1 : tile;
  record.ObjIndex = object == kUnchanged ? -1 : object;
  record.Marks = toggle == kUnchanged ? 0 : static_cast<std::uint8_t>(toggle);
  AddRecord(slot.Insert, record);
}

bool ObjectEditModel::EditTile(int c, int r, int tile) {
  if (c % 2 != 0 || r % 2 != 0) return false;
  EditCell(c, r, tile, kUnchanged, kUnchanged);
  return true;
}

void ObjectEditModel::EditLight(int c, int r, int value) {
  if (value == kNoValue) return;
  const Slot slot = Walk(c, r);
  if (slot.Found) {
    slot.Match->Light = static_cast<std::uint8_t>(value);
    return;
  }
  TSetCell record{};
  record.X = c;
  record.Y = r;
  record.TileIndex = -1;
  record.ObjIndex = -1;
  record.Light = static_cast<std::uint8_t>(value);
  AddRecord(slot.Insert, record);
}

void ObjectEditModel::EditDoor(int c, int r, bool core, int door, int offset) {
  if (door == kNoValue || offset == kNoValue) return;
  const Slot slot = Walk(c, r);
  if (slot.Found) {
    slot.Match->Door = core ? static_cast<std::uint8_t>(slot.Match->Door | 128)
                            : static_cast<std::uint8_t>((slot.Match->Door & 128) | door);
    slot.Match->DoorOffset = static_cast<std::uint8_t>(offset);
    return;
  }
  TSetCell record{};
  record.X = c;
  record.Y = r;
  record.TileIndex = -1;
  record.ObjIndex = -1;
  record.Door = static_cast<std::uint8_t>(core ? (door | 128) : door);
  record.DoorOffset = static_cast<std::uint8_t>(offset);
  AddRecord(slot.Insert, record);
}

void ObjectEditModel::RemoveCell(int c, int r) {
  std::erase_if(recent_, [&](Records::iterator it) { return it->X == c && it->Y == r; });
  cells_.remove_if([&](const TSetCell& cell) { return cell.X == c && cell.Y == r; });
}

std::optional<TSetCell> ObjectEditModel::FindCell(int c, int r) const {
  for (auto it = cells_.rbegin(); it != cells_.rend(); ++it) {
    if (it->X == c && it->Y == r) return *it;
  }
  return std::nullopt;
}

void ObjectEditModel::ShiftCells(Direction direction) {
  for (TSetCell& cell : cells_) {
    if (cell.TileIndex != -1) continue;
    switch (direction) {
      case Direction::Left:
        --cell.X;
        break;
      case Direction::Right:
        ++cell.X;
        break;
      case Direction::Up:
        --cell.Y;
        break;
      case Direction::Down:
        ++cell.Y;
        break;
    }
  }
}

void ObjectEditModel::DropOldestRecent() {
  if (recent_.empty()) return;
  cells_.erase(recent_.front());
  recent_.erase(recent_.begin());
}

void ObjectEditModel::ApplyAnimation(int frame, int tick, bool alpha) {
  if (frame < 0) return;
  for (TSetCell& cell : cells_) {
    cell.AniFrame = static_cast<std::uint8_t>(frame);
    cell.AniTick = static_cast<std::uint8_t>(tick);
    cell.Alpha = alpha && frame >= 1 ? 1 : 0;
  }
}

ObjectEditModel::Animation ObjectEditModel::ShownAnimation() const {
  if (cells_.empty()) return {};
  const TSetCell& first = cells_.front();
  return {first.AniFrame, first.AniTick, first.Alpha != 0};
}

std::int32_t ObjectEditModel::ShownObject(const TObjectSet& cells, const TSetCell& record,
                                          bool doorTest) {
  // Summed wide and wrapped to 32 bits as the field is: a set file may hold any object number.
  std::int64_t v = record.ObjIndex;
  if (doorTest) {
    for (const TSetCell& o : cells) {
      if (o.X == record.X && o.Y == record.Y && (o.Door & 0x7F) != 0) v += o.DoorOffset;
    }
  }
  return static_cast<std::int32_t>(v);
}

TObjectSet ObjectEditModel::Cells() const {
  return {cells_.begin(), cells_.end()};
}

std::size_t ObjectEditModel::RecentCount() const {
  return recent_.size();
}

}  // namespace hl

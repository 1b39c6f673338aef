#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "map/TMapCell.h"

namespace hl {

// The fixed cell grid of kStorageSide x kStorageSide, column-major, kept as reference-counted
// columns.
// Copying a storage shares every column, so an undo snapshot costs one pointer copy a column; a
// column is copied only when a write reaches one that is shared. Reads index directly.
class CellStorage {
 public:
  static constexpr int kSide = kStorageSide;
  static constexpr std::size_t kColumnBytes = kSide * sizeof(TMapCell);  // 12,132
  static constexpr std::size_t kTotalBytes = kColumnBytes * kSide;       // 12,265,452
  using Column = std::array<TMapCell, kSide>;

  // Every cell empty, every column owned alone. Throws std::bad_alloc.
  CellStorage();
  // Every column owned alone, with undefined content: for loaders that fill each cell
  // themselves. Throws std::bad_alloc.
  struct ForOverwrite {};
  explicit CellStorage(ForOverwrite);
  CellStorage(const CellStorage&) = default;
  CellStorage& operator=(const CellStorage&) = default;
  CellStorage(CellStorage&&) noexcept = default;
  CellStorage& operator=(CellStorage&&) noexcept = default;

  // x and y in 0..kLastStorageCell; callers check.
  const TMapCell& At(int x, int y) const { return (*columns_[x])[y]; }
  const Column& ColumnAt(int x) const { return *columns_[x]; }

  bool IsShared(int x) const { return columns_[x].use_count() > 1; }
  // A column that this storage alone owns, copied first if it was shared. Throws
  // std::bad_alloc when the copy cannot be made; the storage is unchanged then.
  Column& MutableColumn(int x);
  // Makes every cell of column x empty without copying it first.
  void ClearColumn(int x);
  // True when both storages hold the very same column object at x.
  bool SharesColumn(const CellStorage& other, int x) const {
    return columns_[x] == other.columns_[x];
  }
  const void* ColumnIdentity(int x) const { return columns_[x].get(); }

  // Lets tests run out of memory on purpose: after `count` more column allocations every
  // further one throws std::bad_alloc. A negative count lifts the limit.
  static void LimitColumnAllocations(int count);

 private:
  std::array<std::shared_ptr<Column>, kSide> columns_;
};

}  // namespace hl

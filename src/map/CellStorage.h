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
// A column without content is the one empty column that all storages share: read-only, owned
// by nobody, so a new storage or a cleared one costs its column table only, and the first
// write into such a column gives the storage a column of its own.
class CellStorage {
 public:
  static constexpr int kSide = kStorageSide;
  static constexpr std::size_t kColumnBytes = kSide * sizeof(TMapCell);  // 12,132
  static constexpr std::size_t kTotalBytes = kColumnBytes * kSide;       // 12,265,452
  using Column = std::array<TMapCell, kSide>;

  // Every cell empty: every column the shared empty one. Needs no memory of its own.
  CellStorage();
  CellStorage(const CellStorage&) = default;
  CellStorage& operator=(const CellStorage&) = default;
  CellStorage(CellStorage&&) noexcept = default;
  CellStorage& operator=(CellStorage&&) noexcept = default;

  // x and y in 0..kLastStorageCell; callers check.
  const TMapCell& At(int x, int y) const { return (*columns_[x])[y]; }
  const Column& ColumnAt(int x) const { return *columns_[x]; }

  // The empty column counts as shared: nobody owns it, so nobody may write it.
  bool IsShared(int x) const { return columns_[x].use_count() != 1; }
  // True when column x is the empty column all storages share (it holds nothing of its own).
  bool SharesEmptyColumn(int x) const;
  // A column that this storage alone owns, copied first if it was shared. Throws
  // std::bad_alloc when the copy cannot be made; the storage is unchanged then.
  Column& MutableColumn(int x);
  // A column of its own with undefined content, for loaders that fill every cell; nothing is
  // copied. Throws std::bad_alloc like MutableColumn.
  Column& FreshColumn(int x);
  // Makes every cell of column x empty by sharing the empty column: never needs memory.
  void ClearColumn(int x) noexcept;
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

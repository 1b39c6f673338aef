#include "map/CellStorage.h"

#include <new>

namespace hl {

namespace {

int allocationsLeft = -1;

// Constant and const: it sits in read-only memory, where a write that slipped past the
// copy-on-write would fault at once instead of emptying every map's cells.
constexpr CellStorage::Column kEmptyColumn{};

// A pointer to the empty column that owns nothing: its use count is 0, so no storage ever
// counts as its only owner, and copying it touches no shared counter.
std::shared_ptr<CellStorage::Column> EmptyColumn() {
  return {std::shared_ptr<CellStorage::Column>(), const_cast<CellStorage::Column*>(&kEmptyColumn)};
}

void CountAllocation() {
  if (allocationsLeft == 0) throw std::bad_alloc();
  if (allocationsLeft > 0) --allocationsLeft;
}

}  // namespace

void CellStorage::LimitColumnAllocations(int count) {
  allocationsLeft = count;
}

CellStorage::CellStorage() {
  columns_.fill(EmptyColumn());
}

bool CellStorage::SharesEmptyColumn(int x) const {
  return columns_[x].get() == &kEmptyColumn;
}

CellStorage::Column& CellStorage::MutableColumn(int x) {
  auto& column = columns_[x];
  if (IsShared(x)) {
    CountAllocation();
    column = std::make_shared<Column>(*column);
  }
  return *column;
}

CellStorage::Column& CellStorage::FreshColumn(int x) {
  auto& column = columns_[x];
  if (IsShared(x)) {
    CountAllocation();
    column = std::make_shared_for_overwrite<Column>();
  }
  return *column;
}

void CellStorage::ClearColumn(int x) noexcept {
  columns_[x] = EmptyColumn();
}

}  // namespace hl

#include "map/CellStorage.h"

#include <new>

namespace hl {

namespace {

int allocationsLeft = -1;

void CountAllocation() {
  if (allocationsLeft == 0) throw std::bad_alloc();
  if (allocationsLeft > 0) --allocationsLeft;
}

}  // namespace

void CellStorage::LimitColumnAllocations(int count) {
  allocationsLeft = count;
}

CellStorage::CellStorage() {
  for (auto& c : columns_) {
    CountAllocation();
    c = std::make_shared<Column>();
  }
}

CellStorage::CellStorage(ForOverwrite) {
  for (auto& c : columns_) {
    CountAllocation();
    c = std::make_shared_for_overwrite<Column>();
  }
}

CellStorage::Column& CellStorage::MutableColumn(int x) {
  auto& column = columns_[x];
  if (column.use_count() > 1) {
    CountAllocation();
    column = std::make_shared<Column>(*column);
  }
  return *column;
}

void CellStorage::ClearColumn(int x) {
  auto& column = columns_[x];
  if (column.use_count() > 1) {
    CountAllocation();
    column = std::make_shared<Column>();
  } else {
    column->fill(TMapCell{});
  }
}

}  // namespace hl

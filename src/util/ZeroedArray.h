#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace hl {

// A fixed-size array of plain records that starts all zero. Its memory comes from calloc, so
// a large array costs nothing until its entries are touched: the system hands out zeroed
// pages on first use instead of us writing every byte up front.
template <typename T>
class ZeroedArray {
  static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>,
                "only plain records are zero-initialised by calloc");

 public:
  ZeroedArray() = default;

  // Replaces the contents by `count` zero entries. Throws std::bad_alloc.
  void Reset(std::size_t count) {
    data_.reset();
    size_ = 0;
    if (count == 0) return;
    void* p = std::calloc(count, sizeof(T));
    if (!p) throw std::bad_alloc();
    data_.reset(static_cast<T*>(p));
    size_ = count;
  }
  void Clear() { Reset(0); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) { return data_.get()[i]; }
  const T& operator[](std::size_t i) const { return data_.get()[i]; }
  T* begin() { return data_.get(); }
  T* end() { return data_.get() + size_; }

 private:
  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  std::unique_ptr<T, Free> data_;
  std::size_t size_ = 0;
};

}  // namespace hl

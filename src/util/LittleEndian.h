#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace hl {

// Records such as the map cell are moved to and from files as raw bytes; that is only right on
// a little-endian host, which every platform we build for is.
static_assert(std::endian::native == std::endian::little,
              "raw record I/O assumes a little-endian host");

template <typename T>
requires std::is_integral_v<T> || std::is_floating_point_v<T> T LoadLE(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename T>
requires std::is_integral_v<T> || std::is_floating_point_v<T>
void StoreLE(std::uint8_t* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

// Bounds-checked reads from a byte buffer: reading past the end yields zero and sets a flag,
// so a parser checks once at the end instead of before every field.
class ByteCursor {
 public:
  explicit ByteCursor(std::span<const std::uint8_t> data) : data_(data) {}

  template <typename T>
  T Read() {
    if (data_.size() - pos_ < sizeof(T) || pos_ > data_.size()) {
      overrun_ = true;
      pos_ = data_.size();
      return T{};
    }
    T v = LoadLE<T>(data_.data() + pos_);
    pos_ += sizeof(T);
    return v;
  }

  std::span<const std::uint8_t> Bytes(std::size_t n) {
    if (data_.size() - pos_ < n) {
      overrun_ = true;
      pos_ = data_.size();
      return {};
    }
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
  }

  void Seek(std::size_t pos) {
    if (pos > data_.size()) {
      overrun_ = true;
      pos = data_.size();
    }
    pos_ = pos;
  }

  std::size_t Position() const { return pos_; }
  bool Overrun() const { return overrun_; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  bool overrun_ = false;
};

}  // namespace hl

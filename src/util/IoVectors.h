#pragma once

#include <limits.h>
#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace hl {

// The most pieces one readv or writev takes.
inline constexpr std::size_t kMaxIov = IOV_MAX;

inline std::vector<iovec> ToIovecs(std::span<const std::span<std::uint8_t>> pieces) {
  std::vector<iovec> iov;
  iov.reserve(pieces.size());
  for (auto p : pieces) {
    if (!p.empty()) iov.push_back({p.data(), p.size()});
  }
  return iov;
}

inline std::vector<iovec> ToIovecs(std::span<const std::span<const std::uint8_t>> pieces) {
  std::vector<iovec> iov;
  iov.reserve(pieces.size());
  for (auto p : pieces) {
    // writev never writes through iov_base; the cast only satisfies its signature.
    if (!p.empty()) iov.push_back({const_cast<std::uint8_t*>(p.data()), p.size()});
  }
  return iov;
}

// Drops the first n transferred bytes from the front of the vector list.
inline void Advance(std::vector<iovec>& iov, std::size_t& first, std::size_t n) {
  while (n > 0 && first < iov.size()) {
    if (n >= iov[first].iov_len) {
      n -= iov[first].iov_len;
      ++first;
    } else {
      iov[first].iov_base = static_cast<std::uint8_t*>(iov[first].iov_base) + n;
      iov[first].iov_len -= n;
      n = 0;
    }
  }
}

}  // namespace hl

#pragma once

#include <cstdint>
#include <optional>

namespace vemo {

// The 1-based position before which a member with order number `order` goes, so that
// members stay in ascending order (an equal number goes after); nothing to append.
// `orderAt(p)` gives the order number of the member at position p.
template <class OrderAt>
std::optional<std::int32_t> InsertionPosition(std::int32_t count, std::int32_t order, OrderAt orderAt) {
  if (count == 0) return std::nullopt;
  if (order < orderAt(1)) return 1;
  if (order >= orderAt(count)) return std::nullopt;
  std::int32_t lo = 1;
  std::int32_t hi = count;
  while (lo + 1 < hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    if (order >= orderAt(mid)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return hi;
}

}  // namespace vemo

#pragma once

// Byte arrays with a lower bound, as automation passes them. A plain value: safe to use
// from any thread as long as one thread writes it at a time.

#include <cstdint>
#include <vector>

#include "vemosupport/export.h"

namespace vemo {

// A one-dimensional array of bytes that remembers its lower bound, as automation byte
// arrays do. An array with no bytes is unallocated.
struct ByteArray {
  std::vector<std::uint8_t> bytes;
  std::int32_t lowerBound = 0;

  std::int32_t Count() const { return static_cast<std::int32_t>(bytes.size()); }
  std::int32_t UpperBound() const { return lowerBound + Count() - 1; }

  friend bool operator==(const ByteArray&, const ByteArray&) = default;
};

}  // namespace vemo

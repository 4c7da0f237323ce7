#pragma once

// Enumerators over collections. An enumerator is used on the thread that made it.

#include <cstddef>
#include <optional>
#include <vector>

#include "vemosupport/object.h"
#include "vemosupport/variant.h"
#include "vemosupport/export.h"

namespace vemo {

// An enumerator over a collection's members as they were when it was made, each as a
// variant holding the member.
class VEMO_EXPORT Enumerator : public Object {
 public:
  explicit Enumerator(std::vector<Variant> items) : items_(std::move(items)) {}

  // The next member, or nothing past the last one.
  std::optional<Variant> Next() {
    if (position_ >= items_.size()) return std::nullopt;
    return items_[position_++];
  }
  void Reset() { position_ = 0; }

 private:
  std::vector<Variant> items_;
  std::size_t position_ = 0;
};

}  // namespace vemo

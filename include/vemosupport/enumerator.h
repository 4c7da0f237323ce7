#pragma once

// Enumerators over collections. An enumerator is used on the thread that made it.

#include <cstddef>
#include <memory>
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

// The members an enumerator gives that answer interface T, in order; none without an
// enumerator.
template <class T>
std::vector<std::shared_ptr<T>> Members(const std::shared_ptr<Enumerator>& enumerator) {
  std::vector<std::shared_ptr<T>> members;
  if (!enumerator) return members;
  while (const std::optional<Variant> item = enumerator->Next()) {
    if (auto member = std::dynamic_pointer_cast<T>(item->AsObject())) members.push_back(std::move(member));
  }
  return members;
}

}  // namespace vemo

#pragma once

#include <cstdint>
#include <memory>

#include "interfaces/I709LMObject.h"
#include "platform/enumerator.h"

namespace vemo {

// A node's collection of LonMark objects. Members in slot order.
class I709LMObjects : public virtual Object {
 public:
  virtual std::int32_t Count() const = 0;
  virtual std::shared_ptr<Enumerator> NewEnum() const = 0;
  virtual std::shared_ptr<I709LMObject> Item(const Variant& vItem) const = 0;
};

}  // namespace vemo

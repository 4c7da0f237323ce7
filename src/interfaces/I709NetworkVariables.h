#pragma once

#include <cstdint>
#include <memory>

#include "interfaces/I709NetworkVariable.h"
#include "platform/enumerator.h"

namespace vemo {

// A collection of network variables. Members in slot order.
class I709NetworkVariables : public virtual Object {
 public:
  virtual std::int32_t Count() const = 0;
  virtual std::shared_ptr<Enumerator> NewEnum() const = 0;
  virtual std::shared_ptr<I709NetworkVariable> Item(const Variant& vItem) const = 0;
};

}  // namespace vemo

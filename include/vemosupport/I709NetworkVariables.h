#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <memory>

#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/export.h"

namespace vemo {

// A collection of network variables. Members in slot order.
class VEMO_EXPORT I709NetworkVariables : public virtual Object {
 public:
  virtual std::int32_t Count() const = 0;
  virtual std::shared_ptr<Enumerator> NewEnum() const = 0;
  virtual std::shared_ptr<I709NetworkVariable> Item(const Variant& vItem) const = 0;
};

}  // namespace vemo

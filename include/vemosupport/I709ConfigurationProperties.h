#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <memory>

#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/export.h"

namespace vemo {

// A collection of configuration properties. Members in slot order.
class VEMO_EXPORT I709ConfigurationProperties : public virtual Object {
 public:
  virtual std::int32_t Count() const = 0;
  virtual std::shared_ptr<Enumerator> NewEnum() const = 0;
  virtual std::shared_ptr<I709ConfigurationProperty> Item(const Variant& vItem) const = 0;
};

}  // namespace vemo

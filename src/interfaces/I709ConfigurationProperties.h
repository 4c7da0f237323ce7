#pragma once

#include <cstdint>
#include <memory>

#include "interfaces/I709ConfigurationProperty.h"
#include "platform/enumerator.h"

namespace vemo {

// A collection of configuration properties. Members in slot order.
class I709ConfigurationProperties : public virtual Object {
 public:
  virtual std::int32_t Count() const = 0;
  virtual std::shared_ptr<Enumerator> NewEnum() const = 0;
  virtual std::shared_ptr<I709ConfigurationProperty> Item(const Variant& vItem) const = 0;
};

}  // namespace vemo

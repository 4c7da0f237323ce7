#pragma once

#include <cstdint>
#include <string>

#include "platform/object.h"
#include "platform/variant.h"

namespace vemo {

// A configuration property as the device object model sees it. Members in slot order.
class I709ConfigurationProperty : public virtual Object {
 public:
  virtual std::int16_t ElementCount() const = 0;
  virtual std::int16_t ElementSize() const = 0;
  virtual std::string Name() const = 0;
  virtual bool StandardType() const = 0;
  virtual std::int16_t CPType() const = 0;
  virtual Variant Value() const = 0;
  virtual void Value(const Variant& CPValue) = 0;
};

}  // namespace vemo

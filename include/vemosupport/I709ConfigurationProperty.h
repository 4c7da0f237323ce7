#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <string>

#include "vemosupport/object.h"
#include "vemosupport/variant.h"
#include "vemosupport/export.h"

namespace vemo {

// A configuration property as the device object model sees it. Members in slot order.
class VEMO_EXPORT I709ConfigurationProperty : public virtual Object {
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

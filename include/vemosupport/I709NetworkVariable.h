#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <string>

#include "vemosupport/object.h"
#include "vemosupport/variant.h"
#include "vemosupport/export.h"

namespace vemo {

// A network variable as the device object model sees it. Members in slot order.
class VEMO_EXPORT I709NetworkVariable : public virtual Object {
 public:
  virtual std::string Comment() const = 0;
  virtual std::int16_t Index() const = 0;
  virtual bool IsConfigurationVariable() const = 0;
  virtual std::int16_t Length() const = 0;
  virtual std::string Name() const = 0;
  virtual std::int16_t NVType() const = 0;
  virtual bool UpdateWhenSoftOffline() const = 0;
  virtual Variant Value() const = 0;
  virtual void Value(const Variant& NVValue) = 0;
};

}  // namespace vemo

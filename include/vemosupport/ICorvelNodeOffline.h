#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <string>

#include "vemosupport/object.h"
#include "vemosupport/export.h"

namespace vemo {

// What a tool asks of an offline node about its configuration file. Slot order.
class VEMO_EXPORT ICorvelNodeOffline : public virtual Object {
 public:
  virtual std::string ConfigurationFile() const = 0;
  virtual void Refresh() = 0;
};

}  // namespace vemo

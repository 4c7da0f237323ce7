#pragma once

#include <string>

#include "platform/object.h"

namespace vemo {

// What a tool asks of an offline node about its configuration file. Slot order.
class ICorvelNodeOffline : public virtual Object {
 public:
  virtual std::string ConfigurationFile() const = 0;
  virtual void Refresh() = 0;
};

}  // namespace vemo

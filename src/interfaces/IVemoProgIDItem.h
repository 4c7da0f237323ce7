#pragma once

#include <string>

#include "platform/object.h"

namespace vemo {

// A name/value item of a catalogue record.
class IVemoProgIDItem : public virtual Object {
 public:
  virtual std::string Name() const = 0;
  virtual std::string Value() const = 0;
};

}  // namespace vemo

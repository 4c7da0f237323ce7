#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <string>

#include "vemosupport/object.h"
#include "vemosupport/export.h"

namespace vemo {

// A name/value item of a catalogue record.
class VEMO_EXPORT IVemoProgIDItem : public virtual Object {
 public:
  virtual std::string Name() const = 0;
  virtual std::string Value() const = 0;
};

}  // namespace vemo

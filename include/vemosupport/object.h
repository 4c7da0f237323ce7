#pragma once

// The root of every library object. Objects are used on the thread that made them;
// counting live objects is safe from any thread.

#include <memory>

#include "vemosupport/export.h"

namespace vemo {

// The root of every automation object. Interfaces derive from it virtually, so one
// object that implements several interfaces is still one Object, and asking it for
// another interface is a dynamic_pointer_cast. Objects are counted, so the library
// knows whether any of them is alive.
class VEMO_EXPORT Object {
 public:
  Object() noexcept;
  Object(const Object&) noexcept;
  Object& operator=(const Object&) noexcept = default;
  virtual ~Object();

  // The number of objects of the library alive in the process.
  static long LiveCount() noexcept;
};

using ObjectPtr = std::shared_ptr<Object>;

}  // namespace vemo

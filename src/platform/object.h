#pragma once

#include <memory>

namespace vemo {

// The root of every automation object. Interfaces derive from it virtually, so one
// object that implements several interfaces is still one Object, and asking it for
// another interface is a dynamic_pointer_cast.
class Object {
 public:
  virtual ~Object() = default;
};

using ObjectPtr = std::shared_ptr<Object>;

}  // namespace vemo

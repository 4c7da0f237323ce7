#pragma once

#include <cstdint>
#include <string>

#include "platform/object.h"

namespace vemo {

// What NVs and CPs share for their link to a LonMark object. Members in slot order.
class IC472VirtualObj : public virtual Object {
 public:
  // The LonMark object index: -1 the node itself, -2 not resolved.
  virtual std::int32_t LMObjectID() const = 0;
  virtual void LMObjectID(std::int32_t lID) = 0;
  virtual std::string SelectData() const = 0;
};

}  // namespace vemo

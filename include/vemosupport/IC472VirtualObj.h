#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <string>

#include "vemosupport/object.h"
#include "vemosupport/export.h"

namespace vemo {

// What NVs and CPs share for their link to a LonMark object. Members in slot order.
class VEMO_EXPORT IC472VirtualObj : public virtual Object {
 public:
  // The LonMark object index: -1 the node itself, -2 not resolved.
  virtual std::int32_t LMObjectID() const = 0;
  virtual void LMObjectID(std::int32_t lID) = 0;
  virtual std::string SelectData() const = 0;
};

}  // namespace vemo

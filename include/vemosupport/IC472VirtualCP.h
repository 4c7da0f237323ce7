#pragma once

// What a CP of a virtual node adds to I709ConfigurationProperty. Its objects are used on
// the thread that made them.

#include <cstdint>

#include "vemosupport/export.h"
#include "vemosupport/object.h"

namespace vemo {

class VEMO_EXPORT IC472VirtualCP : public virtual Object {
 public:
  // The number the node's CP collections file the CP under: Item of its decimal text
  // finds it.
  virtual std::int32_t Key() const = 0;
  // The number of its "Index" attribute ("#12" gives 12), which orders the CPs.
  virtual std::int32_t Index() const = 0;
};

}  // namespace vemo

#pragma once

// Where a data point of a virtual node keeps its value and which section of its
// catalogue entry declared it. Its objects are used on the thread that made them.

#include <cstdint>
#include <string>

#include "vemosupport/export.h"
#include "vemosupport/object.h"

namespace vemo {

class VEMO_EXPORT IVemoDataPointLayout : public virtual Object {
 public:
  // "CPs", "NCIs", "NVIs" or "NVOs".
  virtual std::string Section() const = 0;
  // The offset of its value in the node's configuration data block, or -1 for a point
  // that keeps its own bytes (input and output NVs) or has no storage.
  virtual std::int32_t BlockOffset() const = 0;
};

}  // namespace vemo

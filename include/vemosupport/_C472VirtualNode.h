#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <memory>
#include <string>

#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/export.h"

namespace vemo {

// The class interface of the virtual node.
class VEMO_EXPORT _C472VirtualNode : public virtual Object {
 public:
  virtual std::shared_ptr<IVemoProgIDInfo> ProgIDInfo() const = 0;
  // Builds the node from its catalogue entry and reads `sKivName` (may be empty) into
  // its configuration data; the answer is whether the node has configuration data.
  virtual bool PopulateDevice(const std::string& sKivName) = 0;
};

}  // namespace vemo

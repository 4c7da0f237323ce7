#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <memory>
#include <string>

#include "vemosupport/IVemoProgIDConfigInfo.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/_C472VirtualNode.h"
#include "vemosupport/export.h"

namespace vemo {

// The class interface of the factory, in slot order.
class VEMO_EXPORT _cFactory : public virtual Object {
 public:
  // The record for a 16-character program ID or a 4-character device code, or nothing
  // when no catalogue entry matches.
  virtual std::shared_ptr<IVemoProgIDInfo> CreateProgIDInfo(const std::string& sProgID,
                                                            const std::string& sXMLFolder = "") = 0;
  // A new, empty virtual node for a record, or nothing. Never raises.
  virtual std::shared_ptr<_C472VirtualNode> CreateVirtualC472Node(
      const std::shared_ptr<IVemoProgIDInfo>& oProgIDInfo) = 0;
  virtual std::shared_ptr<IVemoProgIDConfigInfo> CreateProgIDConfigInfo(const std::string& sProgID,
                                                                        const std::string& sXMLFolder = "") = 0;
};

}  // namespace vemo

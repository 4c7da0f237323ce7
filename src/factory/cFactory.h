#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interfaces/_cFactory.h"

namespace vemo {

// The one class a caller creates: it resolves the catalogue folder, searches the
// catalogue and makes device records, configuration records and virtual nodes.
class cFactory : public _cFactory, public std::enable_shared_from_this<cFactory> {
 public:
  // Errors: 76 "Folder not found" when no catalogue folder exists; 380 when the trimmed
  // ID is neither 4 nor 16 characters long. A record that fails to load (a device entry
  // without "DevInfo") raises its own error.
  std::shared_ptr<IVemoProgIDInfo> CreateProgIDInfo(const std::string& sProgID,
                                                    const std::string& sXMLFolder = "") override;
  std::shared_ptr<_C472VirtualNode> CreateVirtualC472Node(const std::shared_ptr<IVemoProgIDInfo>& oProgIDInfo) override;
  // Errors: 76 "Folder not found"; 380 when the trimmed ID is not 16 characters long.
  std::shared_ptr<IVemoProgIDConfigInfo> CreateProgIDConfigInfo(const std::string& sProgID,
                                                                const std::string& sXMLFolder = "") override;

  // Component-internal: the catalogue folder for a caller's (trimmed) folder, ending
  // with "/", or empty when no folder exists. Falls back to the remembered folder, then
  // the catalogue-path service, then the default folder; what the last two give is
  // remembered, also when it is empty. Failures of the service reach the caller.
  std::string ResolveXMLFolder(const std::string& sXMLFolder);

 private:
  std::string ResolveOrRaise(const std::string& sXMLFolder, const char* source);

  std::int32_t m_lNodeCount = 0;
  std::string m_sXMLFolder;
};

// The unique node number of the node made when a factory's count is `nodeCount`:
// "FFFF00000000" with its tail replaced by the count in upper-case hexadecimal.
std::string UniqueNodeNumber(std::int32_t nodeCount);

// The application object: this thread's predeclared factory, whose methods automation
// clients call like global functions.
cFactory& ApplicationFactory();

}  // namespace vemo

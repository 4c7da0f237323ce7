#pragma once

// The factory: the one class a caller creates. A factory is used on one thread at a
// time; several factories may work on several threads at once.

#include <memory>
#include <string>

#include "vemosupport/_cFactory.h"
#include "vemosupport/export.h"

namespace vemo {

// Resolves the catalogue folder, searches the catalogue and makes device records,
// configuration records and virtual nodes.
class VEMO_EXPORT cFactory : public _cFactory, public std::enable_shared_from_this<cFactory> {
 public:
  cFactory();
  ~cFactory() override;
  cFactory(const cFactory&) = delete;
  cFactory& operator=(const cFactory&) = delete;

  // Errors: 76 "Folder not found" when no catalogue folder exists; 380 when the trimmed
  // ID is neither 4 nor 16 characters long. A record that fails to load (a device entry
  // without "DevInfo") raises its own error.
  std::shared_ptr<IVemoProgIDInfo> CreateProgIDInfo(const std::string& sProgID,
                                                    const std::string& sXMLFolder = "") override;
  // A new, empty node for the record (nullptr for none). Never raises.
  std::shared_ptr<_C472VirtualNode> CreateVirtualC472Node(const std::shared_ptr<IVemoProgIDInfo>& oProgIDInfo) override;
  // Errors: 76 "Folder not found"; 380 when the trimmed ID is not 16 characters long.
  std::shared_ptr<IVemoProgIDConfigInfo> CreateProgIDConfigInfo(const std::string& sProgID,
                                                                const std::string& sXMLFolder = "") override;

 private:
  struct State;  // the node count and the remembered folder, kept out of this header
  std::unique_ptr<State> state_;
};

// The application object: this thread's predeclared factory, whose methods automation
// clients call like global functions.
VEMO_EXPORT cFactory& ApplicationFactory();

}  // namespace vemo

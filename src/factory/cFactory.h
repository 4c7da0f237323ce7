#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "factory/catalogue_search.h"

namespace vemo {

// The one class a caller creates: it resolves the catalogue folder, searches the
// catalogue and makes records and virtual nodes.
class cFactory : public std::enable_shared_from_this<cFactory> {
 public:
  // Component-internal: the catalogue folder for a caller's (trimmed) folder, ending
  // with "/", or empty when no folder exists. Falls back to the remembered folder, then
  // the catalogue-path service, then the default folder; what the last two give is
  // remembered, also when it is empty. Failures of the service reach the caller.
  std::string ResolveXMLFolder(const std::string& sXMLFolder);

 private:
  std::int32_t m_lNodeCount = 0;
  std::string m_sXMLFolder;
};

// Removes leading and trailing spaces (and only spaces).
std::string TrimSpaces(const std::string& text);

}  // namespace vemo

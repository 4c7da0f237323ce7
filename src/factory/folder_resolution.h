#pragma once

#include <cstdint>
#include <string>

namespace vemo {

// The catalogue folder for a caller's (trimmed) folder, ending with "/", or empty when
// no folder exists. Falls back to `remembered` (the factory's folder), then the
// catalogue-path service, then the default folder; what the last two give is stored in
// `remembered`, also when it is empty. Failures of the service reach the caller.
std::string ResolveXMLFolder(std::string& remembered, const std::string& sXMLFolder);

// The unique node number of the node made when a factory's count is `nodeCount`:
// "FFFF00000000" with its tail replaced by the count in upper-case hexadecimal.
std::string UniqueNodeNumber(std::int32_t nodeCount);

}  // namespace vemo

#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vemo::cli {

// vemo import-xif: reads each device interface file and writes DIR/<program ID>.xml and
// DIR/<program ID>.kiv for it. A file that fails is reported and the others are still
// imported; the exit code is then 1.
int ImportXifCommand(const std::vector<std::string>& files, const std::string& folder, bool force, bool json,
                     std::ostream& out);

}  // namespace vemo::cli

#pragma once

#include <string>

#include "vemosupport/I709Node.h"

namespace vemo::cli {

// The node's configuration data block as a configuration file of this project's format
// ("vemo-kiv 1"): its CPs in ascending CP index, then its configuration NVs in ascending
// NV index, each value as it stands now. The block's spare byte, which no data point
// reaches, is left out, as the format allows. Reading the file into a node of the same
// device gives every data point the value it has here.
std::string ConfigFileText(I709Node& node);

// Writes `text` to a new file at `path`; an existing file is a UsageError unless `force`.
// Any other failure throws std::runtime_error naming the path.
void WriteNewFile(const std::string& path, const std::string& text, bool force);

}  // namespace vemo::cli

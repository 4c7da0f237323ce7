#pragma once

#include <string>
#include <vector>

#include "vemosupport/I709Node.h"
#include "vemosupport/file_output.h"

namespace vemo::cli {

// The node's configuration data block as a configuration file of this project's format
// ("vemo-kiv 1"): its CPs in ascending CP index, then its configuration NVs in ascending
// NV index, each value as it stands now, then the block's spare byte, which no data
// point reaches, as 00. Reading the file into a node of the same device gives every data
// point the value it has here.
std::string ConfigFileText(I709Node& node);

// Writes `text` as the file `path`, whole or not at all (see vemosupport/file_output.h);
// an existing file is a UsageError unless `force`. Any other failure throws
// vemo::FileOutputError, a std::runtime_error naming the path.
void WriteNewFile(const std::string& path, const std::string& text, bool force);
// Makes the folder --to names, with the folders above it, when it is not there yet; a
// file in its place is a UsageError, a folder that cannot be made a std::runtime_error.
void PrepareFolder(const std::string& folder);

// The same for files that belong together: all are written, or none is changed.
void WriteNewFiles(const std::vector<FileOutput>& files, bool force);

}  // namespace vemo::cli

#pragma once

#include <string>

#include "vemosupport/file_output.h"

namespace vemo::cli {

// A file that exists and was not to be replaced is a UsageError that names --force; any
// other failure is thrown on as it is.
[[noreturn]] void ThrowOutputError(const FileOutputError& error);

// Writes `text` as the file `path`, whole or not at all (see vemosupport/file_output.h);
// an existing file is a UsageError unless `force`. Any other failure throws
// vemo::FileOutputError, a std::runtime_error naming the path.
void WriteNewFile(const std::string& path, const std::string& text, bool force);

}  // namespace vemo::cli

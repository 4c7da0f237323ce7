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
// A file where the folder --to names should be is a UsageError; a folder, or nothing
// there yet, passes.
void CheckOutputFolder(const std::string& folder);

// Makes the folder --to names, with the folders above it, when it is not there yet; a
// file in its place is a UsageError, a folder that cannot be made a FileOutputError.
void PrepareFolder(const std::string& folder);

}  // namespace vemo::cli

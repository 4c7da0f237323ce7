#include "config_file.h"

#include <sys/stat.h>

#include "errors.h"

namespace vemo::cli {

void ThrowOutputError(const FileOutputError& error) {
  if (error.code() == std::errc::file_exists) {
    throw UsageError("\"" + Printable(error.path()) + "\" exists; --force replaces it");
  }
  throw error;
}

void WriteNewFile(const std::string& path, const std::string& text, bool force) {
  try {
    WriteFileAtomically(path, text, force);
  } catch (const FileOutputError& error) {
    ThrowOutputError(error);
  }
}

void CheckOutputFolder(const std::string& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
    throw UsageError("--to \"" + Printable(folder) + "\" is not a folder");
  }
}

void PrepareFolder(const std::string& folder) {
  CheckOutputFolder(folder);
  MakeFolder(folder);
}

}  // namespace vemo::cli

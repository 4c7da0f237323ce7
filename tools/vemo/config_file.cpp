#include "config_file.h"

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

}  // namespace vemo::cli

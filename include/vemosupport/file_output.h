#pragma once

// Writing files whole, as the library writes its own: catalogue entries, configuration
// files. These functions keep no state: call them from any thread.

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "vemosupport/export.h"

namespace vemo {

// A file that could not be written. path() names it; code() says what went wrong,
// std::errc::file_exists when it exists and was not to be replaced; what() gives
// "STEP \"PATH\": REASON", e.g. "cannot write \"a/b.kiv\": No space left on device".
class VEMO_EXPORT FileOutputError : public std::system_error {
 public:
  FileOutputError(std::string path, std::error_code code, const std::string& step);
  const std::string& path() const noexcept { return path_; }

 private:
  std::string path_;
};

struct FileOutput {
  std::string path;
  std::string_view content;
};

// Writes `content` as the file `path`, replacing a file that is there only when
// `replace`. The content goes to a new temporary file in the same folder, flushed to disk
// and then renamed over `path`; the folder is flushed last. A reader or a crash meets the
// old file or the new one, never part of one; on a failure (a full disk, say) the old
// file stays exactly as it was and no temporary file remains. A link at `path` is
// replaced by the new file: the file it points to is never written. Throws
// FileOutputError.
VEMO_EXPORT void WriteFileAtomically(const std::string& path, std::string_view content, bool replace);

// Writes several files as one: each is written and flushed before any is renamed into
// place, then they are renamed in the order given, and when a rename fails the files
// already renamed are put back: after a failure every path holds what it held before
// (on a file system without hard links, such as vfat, a replaced file cannot be kept
// aside and stays new).
// A crash between two renames leaves the earlier files new and the later ones old, so
// name last the file that makes the others visible (a catalogue entry after its
// configuration file). Without `replace`, no file is written when any of them exists.
// Throws FileOutputError.
VEMO_EXPORT void WriteFilesAtomically(const std::vector<FileOutput>& files, bool replace);

// Makes `folder` and the folders above it where they are missing; a folder already there
// is left as it is. A file in its place, or a folder that cannot be made, throws
// FileOutputError.
VEMO_EXPORT void MakeFolder(const std::string& folder);

}  // namespace vemo

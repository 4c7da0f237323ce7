#pragma once

#include <sys/types.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace vemo::platform {

// The one way the library and its tools write a file. Each file's content goes to a new
// temporary file in the target's folder (created exclusively, never through a link),
// which is flushed to disk and then renamed over the target; the folder is flushed last.
// A reader, a full disk or a crash therefore meets the old file or the new one, never
// part of one; a link at the target is replaced, the file it points to never written.

struct FileToWrite {
  std::string path;
  std::string_view content;
  mode_t mode = 0666;  // before the umask
};

struct WriteFailure {
  std::string path;  // the file concerned
  std::string step;  // what could not be done, e.g. "cannot write"
  std::error_code code;
};

// Writes `files` as one: every temporary is written and flushed before the first rename,
// then they are renamed in the order given, and when a rename fails the files already
// renamed are put back as they were (a replaced file from a hard link to it made
// beforehand, a new one removed). After a failure every target holds what it held before
// and no temporary remains; a crash between two renames leaves the earlier files new, so
// a caller names last the file that makes the others visible. With `replace` false a
// target that exists (a dangling link too) is refused with std::errc::file_exists, and
// that test and the rename are one step, so no file that appears meanwhile is replaced.
// Nothing on success.
std::optional<WriteFailure> WriteFilesWhole(std::span<const FileToWrite> files, bool replace);

}  // namespace vemo::platform

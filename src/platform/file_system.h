#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vemo::platform {

// The file-system service: existence tests, a folder's file listing, extensions.
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);

struct FileEntry {
  std::string name;  // the file name alone
  std::string path;  // the folder followed by the name
};

// The regular files of a folder, sorted by name; sub-folders are not listed. `folder`
// ends with "/". A folder that cannot be listed raises error 76.
std::vector<FileEntry> ListFiles(const std::string& folder);

// Opens a regular file of at most `maxBytes` bytes for reading, without waiting: a pipe,
// a folder or a device is refused at once. -1 with `problem` set (a sentence for the
// user) when the file cannot be used; the caller closes the descriptor.
int OpenRegularFile(const std::string& path, std::int64_t maxBytes, std::string& problem);

// What a reader reports for a file that a link leads out of the folder it was read from.
inline constexpr const char* kOutsideFolderReason = "The file cannot be read: it lies outside the catalogue folder.";

// A folder resolved once (links followed), to tell whether files lie inside it, so that
// a link cannot lead a reader elsewhere.
class FolderBoundary {
 public:
  explicit FolderBoundary(const std::string& folder);
  // True when the file open on `fd`, which was opened as `path`, lies inside the
  // folder: the descriptor's own file is judged, not what the path names now.
  bool ContainsOpenFile(int fd, const std::string& path) const;

 private:
  bool ContainsCanonical(const std::string& file) const;
  std::string root_;  // empty when the folder cannot be resolved: nothing lies inside
};

// The whole content of such a file, read through one descriptor; nothing, with
// `problem` set, when it cannot be opened or read, turns out larger than `maxBytes`
// while it is read, or (with a boundary) is not inside the boundary's folder.
std::optional<std::string> ReadRegularFile(const std::string& path, std::int64_t maxBytes, std::string& problem,
                                           const FolderBoundary* boundary = nullptr);
std::optional<std::string> ReadRegularFile(const std::string& path, std::int64_t maxBytes);

// The file this library was loaded from, links resolved; empty when it cannot be told.
std::string ThisLibraryFile();

// The text after the last dot of a file name, or empty when it has none.
std::string GetExtensionName(const std::string& fileName);

}  // namespace vemo::platform

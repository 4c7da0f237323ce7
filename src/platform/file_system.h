#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

// A folder resolved and opened once, whose files are opened so that a link cannot lead
// a reader out of it.
class FolderBoundary {
 public:
  explicit FolderBoundary(const std::string& folder);
  ~FolderBoundary();
  FolderBoundary(const FolderBoundary&) = delete;
  FolderBoundary& operator=(const FolderBoundary&) = delete;

  // Opens a regular file of the folder of at most `maxBytes` bytes for reading, as
  // OpenRegularFile does; a link is followed only when the file its descriptor holds
  // lies inside the folder. -1 with `problem` set otherwise.
  int OpenInside(const FileEntry& file, std::int64_t maxBytes, std::string& problem) const;

 private:
  bool ContainsOpenFile(int fd, const std::string& path) const;
  bool ContainsCanonical(const std::string& file) const;
  std::string root_;  // empty when the folder cannot be resolved: nothing lies inside
  int folder_ = -1;   // the resolved folder, opened
};

// Reads whole regular files, each through one descriptor, into memory it keeps and
// reuses from file to file.
class FileReader {
 public:
  // The content of the file `path`, valid until the next read; nothing, with `problem`
  // set, when it cannot be opened or read or turns out larger than `maxBytes` while it
  // is read.
  std::optional<std::string_view> Read(const std::string& path, std::int64_t maxBytes, std::string& problem);
  // The same for a file of a folder, opened with FolderBoundary::OpenInside.
  std::optional<std::string_view> ReadInside(const FolderBoundary& folder, const FileEntry& file,
                                             std::int64_t maxBytes, std::string& problem);

 private:
  std::optional<std::string_view> Read(int fd, std::int64_t maxBytes, std::string& problem);
  void Reserve(std::size_t capacity, std::size_t keep = 0);
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
};

// The whole content of such a file; nothing when it cannot be opened or read, or turns
// out larger than `maxBytes` while it is read.
std::optional<std::string> ReadRegularFile(const std::string& path, std::int64_t maxBytes);

// The file this library was loaded from, links resolved; empty when it cannot be told.
std::string ThisLibraryFile();

// The text after the last dot of a file name, or empty when it has none.
std::string GetExtensionName(const std::string& fileName);

}  // namespace vemo::platform

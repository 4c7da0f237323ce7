#pragma once

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

// The text after the last dot of a file name, or empty when it has none.
std::string GetExtensionName(const std::string& fileName);

}  // namespace vemo::platform

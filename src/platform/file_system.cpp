#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/automation_error.h"

namespace vemo::platform {

namespace fs = std::filesystem;

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return fs::is_directory(path, error);
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return fs::is_regular_file(path, error);
}

std::vector<FileEntry> ListFiles(const std::string& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) throw AutomationError(err::kPathNotFound, "GetFolder", error.message());
  std::vector<FileEntry> files;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    std::error_code statusError;
    if (!it->is_regular_file(statusError)) continue;
    std::string name = it->path().filename().string();
    files.push_back({name, folder + name});
  }
  if (error) throw AutomationError(err::kPathNotFound, "GetFolder", error.message());
  std::sort(files.begin(), files.end(), [](const FileEntry& a, const FileEntry& b) { return a.name < b.name; });
  return files;
}

std::string GetExtensionName(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

}  // namespace vemo::platform

#include "platform/file_system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "vemosupport/automation_error.h"

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

int OpenRegularFile(const std::string& path, std::int64_t maxBytes, std::string& problem) {
  // Non-blocking, so that opening a pipe does not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    problem = std::string("The file cannot be opened: ") + std::strerror(errno);
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    problem = std::string("The file cannot be read: ") + std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    // A folder, a pipe or a device: nothing to read, and a pipe could block forever.
    problem = "The file cannot be read: it is not a regular file.";
  } else if (info.st_size > maxBytes) {
    problem = "The file is too large to load.";
  } else {
    return fd;
  }
  ::close(fd);
  return -1;
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::int64_t maxBytes) {
  std::string problem;
  const int fd = OpenRegularFile(path, maxBytes, problem);
  if (fd < 0) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || static_cast<std::int64_t>(content.size()) + got > maxBytes) {
      ::close(fd);
      if (got == 0) return content;
      return std::nullopt;
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

FolderBoundary::FolderBoundary(const std::string& folder) {
  std::error_code error;
  const fs::path root = fs::canonical(folder, error);
  if (!error) root_ = root.string();
}

bool FolderBoundary::Contains(const std::string& path) const {
  if (root_.empty()) return false;
  std::error_code error;
  const fs::path file = fs::canonical(path, error);
  if (error) return false;
  const fs::path root(root_);
  const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  return rootEnd == root.end() && fileAt != file.end();
}

std::string ThisLibraryFile() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ThisLibraryFile), &info) == 0 || info.dli_fname == nullptr) return {};
  std::error_code error;
  const fs::path file = fs::canonical(info.dli_fname, error);
  return error ? std::string(info.dli_fname) : file.string();
}

std::string GetExtensionName(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

}  // namespace vemo::platform

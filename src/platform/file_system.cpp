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

std::optional<std::string> ReadRegularFile(const std::string& path, std::int64_t maxBytes, std::string& problem,
                                           const FolderBoundary* boundary) {
  const int fd = OpenRegularFile(path, maxBytes, problem);
  if (fd < 0) return std::nullopt;
  if (boundary != nullptr && !boundary->ContainsOpenFile(fd, path)) {
    ::close(fd);
    problem = kOutsideFolderReason;
    return std::nullopt;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) problem = std::string("The file cannot be read: ") + std::strerror(errno);
    if (got > 0 && static_cast<std::int64_t>(content.size()) + got > maxBytes) problem = "The file is too large to load.";
    if (got <= 0 || !problem.empty()) {
      ::close(fd);
      if (problem.empty()) return content;
      return std::nullopt;
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::int64_t maxBytes) {
  std::string problem;
  return ReadRegularFile(path, maxBytes, problem);
}

FolderBoundary::FolderBoundary(const std::string& folder) {
  std::error_code error;
  const fs::path root = fs::canonical(folder, error);
  if (!error) root_ = root.string();
}

bool FolderBoundary::ContainsOpenFile(int fd, const std::string& path) const {
  // The kernel names the file a descriptor holds; a deleted one, or one without /proc,
  // is judged by the path when that still leads to the very same file.
  std::error_code error;
  const fs::path held = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
  struct stat open {}, named {};
  if (!error && ::fstat(fd, &open) == 0 && ::stat(held.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
      open.st_ino == named.st_ino) {
    return ContainsCanonical(held.string());
  }
  const fs::path file = fs::canonical(path, error);
  if (error || ::fstat(fd, &open) != 0 || ::stat(file.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino && ContainsCanonical(file.string());
}

bool FolderBoundary::ContainsCanonical(const std::string& canonical) const {
  if (root_.empty()) return false;
  const fs::path file(canonical);
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

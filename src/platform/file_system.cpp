#include "platform/file_system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
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

namespace {

// Checks that `fd` (-1 when the open failed) holds a regular file of at most `maxBytes`
// bytes; -1, with `problem` set and the descriptor closed, when it does not.
int CheckedRegularFile(int fd, std::int64_t maxBytes, std::string& problem) {
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

// Non-blocking, so that opening a pipe does not wait for a writer.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

}  // namespace

int OpenRegularFile(const std::string& path, std::int64_t maxBytes, std::string& problem) {
  return CheckedRegularFile(::open(path.c_str(), kOpenFlags), maxBytes, problem);
}

std::optional<std::string_view> FileReader::Read(int fd, std::int64_t maxBytes, std::string& problem) {
  if (fd < 0) return std::nullopt;
  // Read straight into the buffer, sized from the descriptor (one byte more, to see the
  // end at once); a file that grows while it is read is followed up to the limit.
  struct stat info {};
  const std::size_t expected =
      ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) + 1 : 65536;
  Reserve(expected);
  std::size_t filled = 0;
  for (;;) {
    if (filled == capacity_) Reserve(capacity_ * 2, filled);
    const ssize_t got = ::read(fd, buffer_.get() + filled, capacity_ - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) problem = std::string("The file cannot be read: ") + std::strerror(errno);
    if (got > 0 && static_cast<std::int64_t>(filled) + got > maxBytes) problem = "The file is too large to load.";
    if (got <= 0 || !problem.empty()) {
      ::close(fd);
      if (!problem.empty()) return std::nullopt;
      return std::string_view(buffer_.get(), filled);
    }
    filled += static_cast<std::size_t>(got);
  }
}

std::optional<std::string_view> FileReader::Read(const std::string& path, std::int64_t maxBytes, std::string& problem) {
  return Read(OpenRegularFile(path, maxBytes, problem), maxBytes, problem);
}

std::optional<std::string_view> FileReader::ReadInside(const FolderBoundary& folder, const FileEntry& file,
                                                       std::int64_t maxBytes, std::string& problem) {
  return Read(folder.OpenInside(file, maxBytes, problem), maxBytes, problem);
}

void FileReader::Reserve(std::size_t capacity, std::size_t keep) {
  if (capacity <= capacity_) return;
  // Left uninitialised: every byte handed out is read into first.
  std::unique_ptr<char[]> grown(new char[capacity]);
  if (keep > 0) std::memcpy(grown.get(), buffer_.get(), keep);
  buffer_ = std::move(grown);
  capacity_ = capacity;
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::int64_t maxBytes) {
  FileReader reader;
  std::string problem;
  const std::optional<std::string_view> content = reader.Read(path, maxBytes, problem);
  if (!content) return std::nullopt;
  return std::string(*content);
}

FolderBoundary::FolderBoundary(const std::string& folder) {
  std::error_code error;
  const fs::path root = fs::canonical(folder, error);
  if (error) return;
  root_ = root.string();
  folder_ = ::open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

FolderBoundary::~FolderBoundary() {
  if (folder_ >= 0) ::close(folder_);
}

int FolderBoundary::OpenInside(const FileEntry& file, std::int64_t maxBytes, std::string& problem) const {
  if (root_.empty() || folder_ < 0) {
    problem = kOutsideFolderReason;
    return -1;
  }
  // A file of the folder itself is opened relative to the folder resolved at the start,
  // so no link anywhere on its path can lead elsewhere; only a link in the folder
  // is followed, and then judged by where its descriptor leads.
  int fd = file.name.find('/') == std::string::npos
               ? ::openat(folder_, file.name.c_str(), kOpenFlags | O_NOFOLLOW)
               : -1;
  if (fd < 0 && (file.name.find('/') != std::string::npos || errno == ELOOP)) {
    fd = ::open(file.path.c_str(), kOpenFlags);
    if (fd >= 0 && !ContainsOpenFile(fd, file.path)) {
      ::close(fd);
      problem = kOutsideFolderReason;
      return -1;
    }
  }
  return CheckedRegularFile(fd, maxBytes, problem);
}

bool FolderBoundary::ContainsOpenFile(int fd, const std::string& path) const {
  // The kernel names the file a descriptor holds; a deleted one, or one without /proc,
  // is judged by the path when that still leads to the very same file.
  char held[PATH_MAX + 1];
  const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), held, PATH_MAX);
  if (length > 0 && held[0] == '/') {
    const std::string name(held, static_cast<std::size_t>(length));
    if (!name.ends_with(" (deleted)")) return ContainsCanonical(name);
  }
  std::error_code error;
  const fs::path file = fs::canonical(path, error);
  struct stat open {}, named {};
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

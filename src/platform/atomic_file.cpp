#include "platform/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "vemosupport/file_output.h"

namespace vemo::platform {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// A descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  // Closes now, reporting what close reports (a write-back error shows here).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

// A name no other file of the folder is likely to have: hidden, never ending in ".xml"
// (a catalogue scan passes it by), and short enough for any file system.
std::string UniqueName(const std::string& name, const char* suffix) {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generator()));
  return "." + name.substr(0, 100) + "." + digits + suffix;
}

// One target and what has been done for it so far.
struct Slot {
  const FileToWrite* file = nullptr;
  std::string folderPath;
  int folder = -1;        // shared by every target of the folder, see Folders
  std::string name;       // the target's name in its folder
  std::string temporary;  // the written temporary, until it is renamed or removed
  std::string backup;     // a hard link to the file replaced, for putting it back
  bool existed = false;
  bool renamed = false;
};

bool Exists(const Slot& slot) {
  struct stat status {};
  return ::fstatat(slot.folder, slot.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The folders of one call, each opened once however many of its files are written: a call
// with many files takes as many descriptors as it has folders, not files.
using Folders = std::map<std::string, Descriptor>;

std::optional<WriteFailure> OpenFolder(Slot& slot, Folders& folders) {
  const std::string& path = slot.file->path;
  const std::size_t slash = path.rfind('/');
  slot.name = slash == std::string::npos ? path : path.substr(slash + 1);
  slot.folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (slot.name.empty() || slot.name == "." || slot.name == "..") {
    return WriteFailure{path, "cannot write", std::make_error_code(std::errc::is_a_directory)};
  }
  auto [folder, added] = folders.try_emplace(slot.folderPath);
  if (added) folder->second = Descriptor(::open(slot.folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder->second.get() < 0) return WriteFailure{path, "cannot open the folder of", LastError()};
  slot.folder = folder->second.get();
  return std::nullopt;
}

// The temporary, created exclusively (a name that is taken, or a planted link, makes
// another name), written whole and flushed to disk.
std::optional<WriteFailure> WriteTemporary(Slot& slot) {
  Descriptor fd;
  for (int attempt = 0; attempt < 32 && fd.get() < 0; ++attempt) {
    slot.temporary = UniqueName(slot.name, ".tmp");
    fd = Descriptor(::openat(slot.folder, slot.temporary.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, slot.file->mode));
    if (fd.get() < 0 && errno != EEXIST) break;
  }
  if (fd.get() < 0) {
    const std::error_code error = LastError();
    slot.temporary.clear();
    return WriteFailure{slot.file->path, "cannot create a temporary file beside", error};
  }
  if (!WriteAll(fd.get(), slot.file->content) || ::fsync(fd.get()) != 0 || !fd.Close()) {
    return WriteFailure{slot.file->path, "cannot write", LastError()};
  }
  return std::nullopt;
}

// A second name for the file about to be replaced. Without one (a file system without
// hard links) the file cannot be put back, and a failed later rename leaves it new.
void KeepBackup(Slot& slot) {
  slot.existed = Exists(slot);
  if (!slot.existed) return;
  for (int attempt = 0; attempt < 32; ++attempt) {
    std::string backup = UniqueName(slot.name, ".old");
    if (::linkat(slot.folder, slot.name.c_str(), slot.folder, backup.c_str(), 0) == 0) {
      slot.backup = std::move(backup);
      return;
    }
    if (errno != EEXIST) return;
  }
}

// Renames the temporary to the target only when no target exists, as one step where the
// file system allows it.
bool RenameNoReplace(const Slot& slot) {
  const int folder = slot.folder;
  if (::renameat2(folder, slot.temporary.c_str(), folder, slot.name.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // No such rename here: a hard link is made only where no name is.
  if (::linkat(folder, slot.temporary.c_str(), folder, slot.name.c_str(), 0) == 0) {
    ::unlinkat(folder, slot.temporary.c_str(), 0);
    return true;
  }
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) return false;
  // Nor hard links (vfat): test, then rename.
  if (Exists(slot)) {
    errno = EEXIST;
    return false;
  }
  return ::renameat(folder, slot.temporary.c_str(), folder, slot.name.c_str()) == 0;
}

// Every target back as it was before the renames.
void PutBack(std::vector<Slot>& slots) {
  for (auto slot = slots.rbegin(); slot != slots.rend(); ++slot) {
    if (!slot->renamed) continue;
    const int folder = slot->folder;
    if (!slot->backup.empty()) {
      if (::renameat(folder, slot->backup.c_str(), folder, slot->name.c_str()) == 0) slot->backup.clear();
    } else if (!slot->existed) {
      ::unlinkat(folder, slot->name.c_str(), 0);
    }
  }
}

// Flushes each folder once, so that the renames themselves reach the disk.
std::optional<WriteFailure> FlushFolders(const std::vector<Slot>& slots) {
  std::set<int> flushed;
  for (const Slot& slot : slots) {
    if (slot.folder < 0 || !flushed.insert(slot.folder).second) continue;
    // A file system that cannot flush a folder (EINVAL) has nothing more to give.
    if (::fsync(slot.folder) != 0 && errno != EINVAL) {
      return WriteFailure{slot.file->path, "cannot flush the folder of", LastError()};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<WriteFailure> WriteFilesWhole(std::span<const FileToWrite> files, bool replace) {
  Folders folders;  // before the slots, which use its descriptors until they go
  std::vector<Slot> slots(files.size());
  std::optional<WriteFailure> failure;
  for (std::size_t i = 0; i < files.size() && !failure; ++i) {
    slots[i].file = &files[i];
    failure = OpenFolder(slots[i], folders);
    // Refused before anything is written; the rename below refuses again, race-free.
    if (!failure && !replace && Exists(slots[i])) {
      failure = WriteFailure{files[i].path, "cannot create", std::make_error_code(std::errc::file_exists)};
    }
  }
  for (std::size_t i = 0; i < slots.size() && !failure; ++i) failure = WriteTemporary(slots[i]);
  for (std::size_t i = 0; i < slots.size() && !failure; ++i) {
    Slot& slot = slots[i];
    // The last file's rename is the last step: nothing after it can fail and need it back.
    if (replace && i + 1 < slots.size()) KeepBackup(slot);
    const int folder = slot.folder;
    slot.renamed = replace ? ::renameat(folder, slot.temporary.c_str(), folder, slot.name.c_str()) == 0
                           : RenameNoReplace(slot);
    if (slot.renamed) {
      slot.temporary.clear();
    } else {
      failure = WriteFailure{slot.file->path, replace ? "cannot replace" : "cannot create", LastError()};
    }
  }
  if (failure) PutBack(slots);
  for (Slot& slot : slots) {
    if (!slot.temporary.empty()) ::unlinkat(slot.folder, slot.temporary.c_str(), 0);
    if (!slot.backup.empty()) ::unlinkat(slot.folder, slot.backup.c_str(), 0);
  }
  std::optional<WriteFailure> flush = FlushFolders(slots);
  return failure ? failure : flush;
}

}  // namespace vemo::platform

namespace vemo {

FileOutputError::FileOutputError(std::string path, std::error_code code, const std::string& step)
    : std::system_error(code, step + " \"" + path + "\""), path_(std::move(path)) {}

void WriteFilesAtomically(const std::vector<FileOutput>& files, bool replace) {
  std::vector<platform::FileToWrite> writes;
  writes.reserve(files.size());
  for (const FileOutput& file : files) writes.push_back({file.path, file.content});
  if (const std::optional<platform::WriteFailure> failure = platform::WriteFilesWhole(writes, replace)) {
    throw FileOutputError(failure->path, failure->code, failure->step);
  }
}

void WriteFileAtomically(const std::string& path, std::string_view content, bool replace) {
  WriteFilesAtomically({{path, content}}, replace);
}

void MakeFolder(const std::string& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) == 0) {
    if (!S_ISDIR(status.st_mode)) {
      throw FileOutputError(folder, std::make_error_code(std::errc::not_a_directory), "cannot write into");
    }
    return;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw FileOutputError(folder, error, "cannot make the folder");
}

}  // namespace vemo

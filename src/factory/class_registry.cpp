#include "factory/class_registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/atomic_file.h"
#include "platform/file_system.h"
#include "platform/hook.h"
#include "vemosupport/host.h"

namespace vemo {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// A record is a few kilobytes; anything far larger is not one.
constexpr std::int64_t kMaxRecordBytes = 16 * 1024 * 1024;
constexpr const char* kTypeLibraryId = "{7731F612-CE1F-4F6A-95F4-02E3ED20E5F3}";

platform::Hook<std::string>& HostRegistryFile() {
  static platform::Hook<std::string> path;
  return path;
}

// JSON nested deeper than any record of ours is refused before it is parsed.
constexpr int kMaxRecordDepth = 32;

// The deepest nesting of arrays and objects in JSON text, strings skipped.
int NestingDepth(std::string_view text) {
  int depth = 0;
  int deepest = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      deepest = std::max(deepest, ++depth);
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return deepest;
}

// The record as it stands: empty when there is no file, nothing when it is not one.
std::optional<Json> ReadRecord(const std::string& path) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(path, error))) return Json::object();
  const std::optional<std::string> text = platform::ReadRegularFile(path, kMaxRecordBytes);
  if (!text || NestingDepth(*text) > kMaxRecordDepth) return std::nullopt;
  Json record = Json::parse(*text, nullptr, /*allow_exceptions=*/false);
  if (record.is_discarded() || !record.is_object()) return std::nullopt;
  for (const char* table : {"classes", "typeLibraries"}) {
    if (record.contains(table) && !record[table].is_object()) return std::nullopt;
  }
  return record;
}

// Writes the record whole (see platform/atomic_file.h): a reader sees the old record or
// the new one, never half of one. A record larger than ReadRecord reads back is refused,
// for nothing could read or repair it after.
bool WriteRecord(const std::string& path, const Json& record) {
  const std::string text = record.dump() + "\n";
  if (static_cast<std::int64_t>(text.size()) > kMaxRecordBytes) return false;
  const platform::FileToWrite file{path, text, 0600};
  return !platform::WriteFilesWhole({&file, 1}, /*replace=*/true);
}

// An advisory lock on "<record>.lock", held from reading the record to renaming the new
// one over it, so that two processes registering at once do not lose each other's
// entries.
class RecordLock {
 public:
  explicit RecordLock(const std::string& path) {
    std::error_code error;
    const fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
      }
    }
  }
  ~RecordLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Reads the record, lets `change` edit it and writes it back, all under the lock.
template <class Change>
bool UpdateRecord(Change change) {
  const std::string path = RegistryFile();
  const RecordLock lock(path);
  if (!lock.held()) return false;
  std::optional<Json> record = ReadRecord(path);
  if (!record) return false;
  change(*record);
  return WriteRecord(path, *record);
}

}  // namespace

const std::vector<PublicClass>& PublicClasses() {
  static const std::vector<PublicClass> classes = {
      {kFactoryProgId, kFactoryClsid, true},
      {"VemoSupport.C472VirtualNode", "{3B8CDF4B-75D6-45E2-BCDC-65539ABC77FC}", false},
      {"VemoSupport.C472VirtualLMCol", "{0080ABC6-5E95-4E86-9AE8-BB50C0324EDF}", false},
      {"VemoSupport.C472VirtualLM", "{9620938E-8EF1-4FCE-A660-E239E964BB16}", false},
      {"VemoSupport.C472VirtualNVCol", "{2DBBD3B7-D6A4-43D6-824A-0DCC1C2E2771}", false},
      {"VemoSupport.C472VirtualNV", "{40809339-5A88-4FD7-8738-811322B2792E}", false},
      {"VemoSupport.C472VirtualCPCol", "{FCE50AEB-C060-4895-89F1-81E6E7D413E7}", false},
      {"VemoSupport.C472VirtualCP", "{61FC0FE9-2D5D-4E68-A3D9-9D904A9A87FA}", false},
      {"VemoSupport.IC472VirtualObj", "{7C607F07-6EFC-4023-9C7F-88CC22630494}", false},
  };
  return classes;
}

std::string RegistryFile() {
  if (const std::shared_ptr<const std::string> path = HostRegistryFile().Get(); path && !path->empty()) return *path;
  if (const char* path = std::getenv("VEMO_REGISTRY_FILE"); path && *path) return path;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/vemosupport/registry.json";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/vemosupport/registry.json";
}

void SetRegistryFile(std::string path) { HostRegistryFile().Set(std::make_shared<const std::string>(std::move(path))); }

bool RegisterClasses(const std::string& libraryPath) {
  return UpdateRecord([&libraryPath](Json& record) {
    Json& classes = record["classes"];
    if (classes.is_null()) classes = Json::object();
    for (const PublicClass& entry : PublicClasses()) {
      classes[entry.progId] = {{"clsid", entry.clsid},
                               {"library", libraryPath},
                               {"creatable", entry.creatable},
                               {"threadingModel", "Apartment"},
                               {"typeLibrary", kTypeLibraryId}};
    }
    record["typeLibraries"][kTypeLibraryId] = {{"name", "VemoSupport"}, {"library", libraryPath}, {"OLESelfRegister", true}};
  });
}

bool UnregisterClasses() {
  return UpdateRecord([](Json& record) {
    if (record.contains("classes")) {
      for (const PublicClass& entry : PublicClasses()) record["classes"].erase(entry.progId);
    }
    if (record.contains("typeLibraries")) record["typeLibraries"].erase(kTypeLibraryId);
  });
}

std::optional<Registration> FindRegistration(const std::string& progId) {
  const std::optional<Json> record = ReadRecord(RegistryFile());
  if (!record || !record->contains("classes")) return std::nullopt;
  const Json& classes = (*record)["classes"];
  const auto entry = classes.find(progId);
  if (entry == classes.end() || !entry->is_object()) return std::nullopt;
  // A field of another type than expected counts as missing.
  auto text = [&](const char* name) {
    const auto field = entry->find(name);
    return field != entry->end() && field->is_string() ? field->get<std::string>() : std::string();
  };
  const auto creatable = entry->find("creatable");
  return Registration{text("clsid"), text("library"),
                      creatable != entry->end() && creatable->is_boolean() && creatable->get<bool>()};
}

}  // namespace vemo

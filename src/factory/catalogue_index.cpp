// The per-process index of catalogue folders: for each file, what it held when it was
// last read, and the identity it had then.
#include "factory/catalogue_index.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "platform/xml_scan.h"
#include "support/xml_loading.h"
#include "vemosupport/catalogue.h"

namespace vemo {

namespace {

constexpr const char* kDeviceElement = "C5Device";
constexpr const char* kProgramIdAttribute = "ProgramID";
constexpr const char* kDevInfoElement = "DevInfo";
constexpr const char* kDeviceCodeElement = "DeviceCode";

// Folders kept, least recently used dropped first.
constexpr std::size_t kMaxFolders = 16;
// Keys longer than this (IDs and codes are 4 to 17 characters), or more of them in one
// file than this, are not kept; the file then may hold any key.
constexpr std::size_t kMaxKeyBytes = 64;
constexpr std::size_t kMaxKeysPerFile = 100'000;

// --- Reading -------------------------------------------------------------------------

void Keep(std::vector<std::string> keys, std::vector<std::string>& kept, bool& everyKeyKept) {
  for (std::string& key : keys) {
    if (key.size() > kMaxKeyBytes || kept.size() >= kMaxKeysPerFile) {
      everyKeyKept = false;
    } else {
      kept.push_back(std::move(key));
    }
  }
  std::sort(kept.begin(), kept.end());
  kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
  kept.shrink_to_fit();
}

bool IsElementNamed(const platform::XmlNode& node, const char* name) {
  return node.nodeType() == platform::XmlNodeType::Element && node.baseName() == name;
}

// The same keys from a loaded document.
CatalogueFileKeys KeysOfDocument(const platform::XmlDocument& document) {
  CatalogueFileKeys keys;
  const platform::XmlNode root = CatalogueRoot(document);
  if (!root) return keys;
  keys.kind = CatalogueFileKeys::Kind::Catalogue;
  std::vector<std::string> programIds, deviceCodes;
  for (platform::XmlNode child = root.firstChild(); child; child = child.nextSibling()) {
    if (!IsElementNamed(child, kDeviceElement)) continue;
    for (const platform::XmlAttribute& attribute : child.attributes()) {
      if (attribute.baseName == kProgramIdAttribute) programIds.push_back(attribute.value);
    }
  }
  std::vector<platform::XmlNode> pending{root};
  while (!pending.empty()) {
    const platform::XmlNode node = std::move(pending.back());
    pending.pop_back();
    const bool devInfo = IsElementNamed(node, kDevInfoElement);
    for (platform::XmlNode child = node.firstChild(); child; child = child.nextSibling()) {
      if (child.nodeType() != platform::XmlNodeType::Element) continue;
      if (devInfo && child.baseName() == kDeviceCodeElement) deviceCodes.push_back(child.text());
      pending.push_back(child);
    }
  }
  Keep(std::move(programIds), keys.programIds, keys.everyKeyKept);
  Keep(std::move(deviceCodes), keys.deviceCodes, keys.everyKeyKept);
  return keys;
}

// --- Identity ------------------------------------------------------------------------

std::int64_t Nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

struct FileIdentity {
  std::uint64_t device = 0, inode = 0;
  std::int64_t size = 0, modified = 0, changed = 0;  // times in nanoseconds
  std::uint32_t mode = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino, info.st_size, Nanoseconds(info.st_mtim), Nanoseconds(info.st_ctim),
                      info.st_mode};
}

// How far apart two changes of a file may be and still carry the same time stamp.
// Local Linux file systems stamp with the kernel's tick (at most 10 ms); others, FAT's
// two seconds among them, and network file systems with their server's clock, get two
// seconds.
std::int64_t TimestampGranularity(const std::string& path) {
  constexpr std::int64_t kFine = 50'000'000, kCoarse = 2'000'000'000;
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) return kCoarse;
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
    case 0x794C7630:  // overlayfs
    case 0xF2F52010:  // f2fs
      return kFine;
    default:
      return kCoarse;
  }
}

std::int64_t Now() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

// --- The index -----------------------------------------------------------------------

struct FileRecord {
  FileIdentity identity;
  std::shared_ptr<const CatalogueFileKeys> keys;
};

struct FolderRecord {
  std::string folder;
  std::unordered_map<std::string, FileRecord> files;
};

class CatalogueIndex {
 public:
  std::shared_ptr<const CatalogueFileKeys> Find(const std::string& folder, const std::string& name,
                                                const FileIdentity& identity) {
    const std::lock_guard lock(mutex_);
    FolderRecord* record = Use(folder, false);
    if (record == nullptr) return nullptr;
    const auto file = record->files.find(name);
    if (file == record->files.end() || !(file->second.identity == identity)) return nullptr;
    return file->second.keys;
  }

  void Store(const std::string& folder, const std::string& name, const FileIdentity& identity,
             std::shared_ptr<const CatalogueFileKeys> keys) {
    const std::lock_guard lock(mutex_);
    Use(folder, true)->files.insert_or_assign(name, FileRecord{identity, std::move(keys)});
  }

  void Forget(const std::string& folder, const std::string& name) {
    const std::lock_guard lock(mutex_);
    if (FolderRecord* record = Use(folder, false)) record->files.erase(name);
  }

  void Retain(const std::string& folder, const std::vector<platform::FileEntry>& listing) {
    const std::lock_guard lock(mutex_);
    FolderRecord* record = Use(folder, false);
    if (record == nullptr || record->files.size() <= listing.size()) return;
    std::unordered_set<std::string> listed;
    for (const platform::FileEntry& entry : listing) listed.insert(entry.name);
    std::erase_if(record->files, [&](const auto& file) { return !listed.contains(file.first); });
  }

  void Clear() {
    const std::lock_guard lock(mutex_);
    folders_.clear();
    byName_.clear();
  }

 private:
  // The folder's record, made the most recently used; made when `create` is set.
  FolderRecord* Use(const std::string& folder, bool create) {
    if (const auto found = byName_.find(folder); found != byName_.end()) {
      folders_.splice(folders_.begin(), folders_, found->second);
      return &folders_.front();
    }
    if (!create) return nullptr;
    if (folders_.size() >= kMaxFolders) {
      byName_.erase(folders_.back().folder);
      folders_.pop_back();
    }
    folders_.push_front(FolderRecord{folder, {}});
    byName_[folder] = folders_.begin();
    return &folders_.front();
  }

  std::mutex mutex_;
  std::list<FolderRecord> folders_;  // most recently used first
  std::unordered_map<std::string, std::list<FolderRecord>::iterator> byName_;
};

CatalogueIndex& TheIndex() {
  static CatalogueIndex index;
  return index;
}

std::atomic<bool>& Enabled() {
  static std::atomic<bool> enabled{true};
  return enabled;
}

thread_local bool plainHere = false;
std::atomic<std::uint64_t> fileReads{0};

// A failure to open or read a file may pass (a descriptor limit, a file being
// written): such a file is read again on every lookup, as a full scan would.
bool Lasting(const CatalogueFileKeys& keys) {
  return keys.kind != CatalogueFileKeys::Kind::Broken || keys.error.errorCode != platform::kUnreadableFileCode;
}

}  // namespace

bool CatalogueFileKeys::MayHoldProgramId(const std::string& attributeValue) const {
  if (kind != Kind::Catalogue) return false;
  if (!everyKeyKept) return true;
  return std::binary_search(programIds.begin(), programIds.end(), attributeValue);
}

bool CatalogueFileKeys::MayHoldDeviceCode(const std::string& code) const {
  if (kind != Kind::Catalogue) return false;
  if (!everyKeyKept) return true;
  return std::binary_search(deviceCodes.begin(), deviceCodes.end(), code);
}

CatalogueFileKeys ReadCatalogueFileKeys(const std::string& path) {
  static constexpr platform::XmlScanNames kNames{kDeviceElement, kProgramIdAttribute, kDevInfoElement,
                                                 kDeviceCodeElement};
  if (std::optional<platform::XmlScan> scan = platform::ScanXmlFile(path, kNames)) {
    CatalogueFileKeys keys;
    if (scan->rootName != kCatalogueRoot) return keys;
    keys.kind = CatalogueFileKeys::Kind::Catalogue;
    Keep(std::move(scan->entryAttributes), keys.programIds, keys.everyKeyKept);
    Keep(std::move(scan->keyTexts), keys.deviceCodes, keys.everyKeyKept);
    return keys;
  }
  platform::XmlDocument document;
  if (!document.load(path)) {
    CatalogueFileKeys keys;
    keys.kind = CatalogueFileKeys::Kind::Broken;
    keys.error = document.parseError();
    return keys;
  }
  // A document that loaded but is not complete gives nothing, without a report.
  if (document.readyState() != platform::XmlDocument::kReadyStateComplete || document.parseError().errorCode != 0) {
    return {};
  }
  return KeysOfDocument(document);
}

std::shared_ptr<const CatalogueFileKeys> IndexedCatalogueFileKeys(const std::string& folder, const std::string& name,
                                                                  const std::string& path) {
  // The moment of recording is taken before the file is looked at, and its identity
  // before it is read: a change while it is read leaves a record that no longer fits.
  const std::int64_t recordedAt = Now();
  const std::optional<FileIdentity> identity = IdentityOf(path);
  if (identity) {
    if (std::shared_ptr<const CatalogueFileKeys> known = TheIndex().Find(folder, name, *identity)) return known;
  }
  fileReads.fetch_add(1, std::memory_order_relaxed);
  auto keys = std::make_shared<const CatalogueFileKeys>(ReadCatalogueFileKeys(path));
  // A file changed within the granularity of its time stamps may change again without
  // a new stamp: its record is not trusted, and the next lookup reads it again.
  const std::int64_t since = recordedAt - TimestampGranularity(path);
  if (identity && S_ISREG(identity->mode) && Lasting(*keys) && identity->modified < since && identity->changed < since) {
    TheIndex().Store(folder, name, *identity, keys);
  } else {
    TheIndex().Forget(folder, name);
  }
  return keys;
}

void ForgetUnlistedFiles(const std::string& folder, const std::vector<platform::FileEntry>& listing) {
  TheIndex().Retain(folder, listing);
}

bool CatalogueIndexInUse() { return !plainHere && Enabled().load(std::memory_order_relaxed); }

PlainLookupsHere::PlainLookupsHere() : outer_(plainHere) { plainHere = true; }
PlainLookupsHere::~PlainLookupsHere() { plainHere = outer_; }

std::uint64_t CatalogueFileReads() { return fileReads.load(std::memory_order_relaxed); }

void SetCatalogueIndexEnabled(bool enabled) {
  Enabled().store(enabled, std::memory_order_relaxed);
  if (!enabled) TheIndex().Clear();
}

bool CatalogueIndexEnabled() { return Enabled().load(std::memory_order_relaxed); }

}  // namespace vemo

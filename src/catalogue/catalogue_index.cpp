// The per-process index of catalogue folders: for each file, what it held when it was
// last read, and the hash of the bytes it was read from.
#include "catalogue/catalogue_index.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <atomic>
#include <list>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/xml_scan.h"
#include "support/catalogue_names.h"
#include "support/xml_loading.h"
#include "vemosupport/catalogue.h"

namespace vemo {

namespace {

using names::kDevInfo, names::kDevice, names::kDeviceCode, names::kProgramId;

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
    if (!IsElementNamed(child, kDevice)) continue;
    for (const platform::XmlAttribute& attribute : child.attributes()) {
      if (attribute.baseName == kProgramId) programIds.push_back(attribute.value);
    }
  }
  std::vector<platform::XmlNode> pending{root};
  while (!pending.empty()) {
    const platform::XmlNode node = std::move(pending.back());
    pending.pop_back();
    const bool devInfo = IsElementNamed(node, kDevInfo);
    for (platform::XmlNode child = node.firstChild(); child; child = child.nextSibling()) {
      if (child.nodeType() != platform::XmlNodeType::Element) continue;
      if (devInfo && child.baseName() == kDeviceCode) deviceCodes.push_back(child.text());
      pending.push_back(child);
    }
  }
  Keep(std::move(programIds), keys.programIds, keys.everyKeyKept);
  Keep(std::move(deviceCodes), keys.deviceCodes, keys.everyKeyKept);
  return keys;
}

// --- Identity ------------------------------------------------------------------------

// A file's content as the index knows it: equal only for the same bytes, whatever the
// file system says of the file's size, times or inode.
struct ContentId {
  std::uint64_t size = 0;
  XXH128_hash_t hash{};
  bool operator==(const ContentId& other) const {
    return size == other.size && XXH128_isEqual(hash, other.hash) != 0;
  }
};

ContentId ContentOf(std::string_view bytes) { return {bytes.size(), XXH3_128bits(bytes.data(), bytes.size())}; }

// --- The index -----------------------------------------------------------------------

struct FileRecord {
  ContentId content;
  std::shared_ptr<const CatalogueFileKeys> keys;
};

struct FolderRecord {
  std::string folder;
  std::unordered_map<std::string, FileRecord> files;
};

class CatalogueIndex {
 public:
  std::shared_ptr<const CatalogueFileKeys> Find(const std::string& folder, const std::string& name,
                                                const ContentId& content) {
    const std::lock_guard lock(mutex_);
    FolderRecord* record = Use(folder, false);
    if (record == nullptr) return nullptr;
    const auto file = record->files.find(name);
    if (file == record->files.end() || !(file->second.content == content)) return nullptr;
    return file->second.keys;
  }

  void Store(const std::string& folder, const std::string& name, const ContentId& content,
             std::shared_ptr<const CatalogueFileKeys> keys) {
    const std::lock_guard lock(mutex_);
    Use(folder, true)->files.insert_or_assign(name, FileRecord{content, std::move(keys)});
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

CatalogueFileKeys ReadCatalogueFileKeys(const std::string& path, std::string_view bytes) {
  static constexpr platform::XmlScanNames kNames{kDevice, kProgramId, kDevInfo,
                                                 kDeviceCode};
  if (std::optional<platform::XmlScan> scan = platform::ScanXmlBytes(path, bytes, kNames)) {
    CatalogueFileKeys keys;
    if (scan->rootName != names::kCatalogueRoot) return keys;
    keys.kind = CatalogueFileKeys::Kind::Catalogue;
    Keep(std::move(scan->entryAttributes), keys.programIds, keys.everyKeyKept);
    Keep(std::move(scan->keyTexts), keys.deviceCodes, keys.everyKeyKept);
    return keys;
  }
  platform::XmlDocument document;
  if (!document.load(path, bytes)) {
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
                                                                  const std::string& path, std::string_view bytes) {
  // What the keys are read from is what is hashed: no change between the two can slip
  // into the record.
  const ContentId content = ContentOf(bytes);
  if (std::shared_ptr<const CatalogueFileKeys> known = TheIndex().Find(folder, name, content)) return known;
  fileReads.fetch_add(1, std::memory_order_relaxed);
  auto keys = std::make_shared<const CatalogueFileKeys>(ReadCatalogueFileKeys(path, bytes));
  TheIndex().Store(folder, name, content, keys);
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

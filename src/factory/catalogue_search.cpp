#include "factory/catalogue_search.h"

#include "factory/catalogue_index.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/xml_loading.h"

namespace vemo {

namespace {

using Query = platform::XmlNode (*)(const std::string& file, const std::string& key);
using MayHold = bool (CatalogueFileKeys::*)(const std::string& key) const;

// One kind of lookup: its query, and how the index tells a file that cannot match.
struct Lookup {
  Query query;
  MayHold mayHold;
  std::string indexKey;  // the key as the index holds it
};

// Queries the file `name` of `folder`. One that a link leads out of the folder is
// reported as unreadable and skipped: a catalogue never shows another file's lines.
// With the index, a file known not to hold the key is not loaded, and a file known to
// be broken is reported as its load reported it.
platform::XmlNode QueryInside(const std::string& folder, const platform::FolderBoundary& boundary,
                              const std::string& name, const std::string& file, const std::string& key,
                              const Lookup& lookup, bool indexed) {
  if (!boundary.Contains(file)) {
    platform::XmlParseError error;
    error.errorCode = platform::kUnreadableFileCode;
    error.reason = kOutsideFolderReason;
    ReportParseError(file, error);
    return {};
  }
  if (!indexed) return lookup.query(file, key);
  const std::shared_ptr<const CatalogueFileKeys> keys = IndexedCatalogueFileKeys(folder, name, file);
  if (keys->kind == CatalogueFileKeys::Kind::Broken) {
    ReportParseError(file, keys->error);
    return {};
  }
  if (!((*keys).*lookup.mayHold)(lookup.indexKey)) return {};
  return lookup.query(file, key);
}

// Tries `firstFile` in `folder`, then scans the folder's xml files in listing order;
// the first file that gives an element wins.
CatalogueMatch Search(const std::string& folder, const std::string& firstFile, const std::string& key,
                      const Lookup& lookup) {
  CatalogueMatch match{{}, folder + firstFile};
  const bool indexed = CatalogueIndexInUse();
  const platform::FolderBoundary boundary(folder);
  // An ID with a separator or a NUL in it names no file of this folder.
  const bool namesAFile = firstFile.find_first_of(std::string("/\0", 2)) == std::string::npos;
  if (namesAFile && platform::FileExists(match.file)) {
    match.element = QueryInside(folder, boundary, firstFile, match.file, key, lookup, indexed);
  }
  if (match.element) return match;
  const std::vector<platform::FileEntry> listing = platform::ListFiles(folder);
  if (indexed) ForgetUnlistedFiles(folder, listing);
  for (const platform::FileEntry& entry : listing) {
    if (!IsCatalogueFileName(entry.name)) continue;
    match.element = QueryInside(folder, boundary, entry.name, entry.path, key, lookup, indexed);
    if (match.element) {
      match.file = entry.path;
      break;
    }
  }
  return match;
}

}  // namespace

bool IsCatalogueFileName(const std::string& fileName) {
  return UpperCase(platform::GetExtensionName(fileName)) == "XML";
}

CatalogueMatch SearchByProgramID(const std::string& folder, const std::string& sProgID) {
  return Search(folder, sProgID + ".xml", sProgID, {FindProgIDNode, &CatalogueFileKeys::MayHoldProgramId, "P" + sProgID});
}

CatalogueMatch SearchByDeviceCode(const std::string& folder, const std::string& sDeviceCode) {
  return Search(folder, kMiscPidsFile, sDeviceCode, {FindDeviceCodeNode, &CatalogueFileKeys::MayHoldDeviceCode, sDeviceCode});
}

platform::XmlNode FindDeviceCodeNode(const std::string& sXMLFile, const std::string& sDeviceCode) {
  const std::optional<platform::XmlDocument> document = LoadXmlDocument(sXMLFile);
  if (!document) return {};
  const platform::XmlNode root = CatalogueRoot(*document);
  if (!root) return {};
  // The code goes into the expression as it is; one that would end the string literal
  // early cannot name a device.
  if (sDeviceCode.find('"') != std::string::npos) return {};
  // Every "DevInfo" at any depth below the root whose "DeviceCode" child has exactly
  // this text; "descendant::" selects what ".//" does without visiting every node twice.
  const platform::XmlNode devInfo = root.selectSingleNode("descendant::DevInfo[DeviceCode = \"" + sDeviceCode + "\"]");
  return devInfo ? devInfo.parentNode() : platform::XmlNode();
}

}  // namespace vemo

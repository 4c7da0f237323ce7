#include "catalogue/catalogue_search.h"

#include "catalogue/catalogue_index.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/catalogue_names.h"
#include "support/xml_loading.h"

namespace vemo {

namespace {

using Query = platform::XmlNode (*)(const std::string& file, std::string_view bytes, const std::string& key);
using MayHold = bool (CatalogueFileKeys::*)(const std::string& key) const;

// One kind of lookup: its query, and how the index tells a file that cannot match.
struct Lookup {
  Query query;
  MayHold mayHold;
  std::string indexKey;  // the key as the index holds it
};

// Queries the file `entry` of `folder`. The file is opened once: the check that it lies
// inside the folder (a link may not lead elsewhere), the index's hash, the parse and a
// report's source line all use the bytes read through that one descriptor. With the
// index, bytes known not to hold the key are not parsed, and bytes known to be broken
// are reported as their load reported them.
platform::XmlNode QueryInside(const std::string& folder, const platform::FolderBoundary& boundary,
                              const platform::FileEntry& entry, const std::string& key, const Lookup& lookup,
                              bool indexed, platform::FileReader& reader) {
  const std::string& file = entry.path;
  std::string problem;
  const std::optional<std::string_view> bytes = reader.ReadInside(boundary, entry, platform::kMaxXmlFileBytes, problem);
  if (!bytes) {
    platform::XmlParseError error;
    error.errorCode = platform::kUnreadableFileCode;
    error.reason = problem;
    ReportParseError(file, error);
    return {};
  }
  if (indexed) {
    const std::shared_ptr<const CatalogueFileKeys> keys = IndexedCatalogueFileKeys(folder, entry.name, file, *bytes);
    if (keys->kind == CatalogueFileKeys::Kind::Broken) {
      ReportParseError(file, keys->error);
      return {};
    }
    if (!((*keys).*lookup.mayHold)(lookup.indexKey)) return {};
  }
  return lookup.query(file, *bytes, key);
}

// Tries `firstFile` in `folder`, then scans the folder's xml files in listing order;
// the first file that gives an element wins.
CatalogueMatch Search(const std::string& folder, const std::string& firstFile, const std::string& key,
                      const Lookup& lookup) {
  CatalogueMatch match{{}, folder + firstFile};
  const bool indexed = CatalogueIndexInUse();
  const platform::FolderBoundary boundary(folder);
  platform::FileReader reader;
  // An ID with a separator or a NUL in it names no file of this folder.
  const bool namesAFile = firstFile.find_first_of(std::string("/\0", 2)) == std::string::npos;
  if (namesAFile && platform::FileExists(match.file)) {
    match.element = QueryInside(folder, boundary, {firstFile, match.file}, key, lookup, indexed, reader);
  }
  if (match.element) return match;
  const std::vector<platform::FileEntry> listing = platform::ListFiles(folder);
  if (indexed) ForgetUnlistedFiles(folder, listing);
  for (const platform::FileEntry& entry : listing) {
    if (!IsCatalogueFileName(entry.name)) continue;
    match.element = QueryInside(folder, boundary, entry, key, lookup, indexed, reader);
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
  const Query query = [](const std::string& file, std::string_view bytes, const std::string& key) {
    return FindProgIDNode(file, bytes, key);
  };
  return Search(folder, sProgID + ".xml", sProgID, {query, &CatalogueFileKeys::MayHoldProgramId, "P" + sProgID});
}

CatalogueMatch SearchByDeviceCode(const std::string& folder, const std::string& sDeviceCode) {
  const Query query = [](const std::string& file, std::string_view bytes, const std::string& key) {
    return FindDeviceCodeNode(file, bytes, key);
  };
  return Search(folder, kMiscPidsFile, sDeviceCode, {query, &CatalogueFileKeys::MayHoldDeviceCode, sDeviceCode});
}

namespace {

platform::XmlNode FindDeviceCodeIn(const std::optional<platform::XmlDocument>& document,
                                   const std::string& sDeviceCode) {
  if (!document) return {};
  const platform::XmlNode root = CatalogueRoot(*document);
  if (!root) return {};
  // The code goes into the expression as it is; one that would end the string literal
  // early cannot name a device.
  if (sDeviceCode.find('"') != std::string::npos) return {};
  // Every "DevInfo" at any depth below the root whose "DeviceCode" child has exactly
  // this text; "descendant::" selects what ".//" does without visiting every node twice.
  const platform::XmlNode devInfo = root.selectSingleNode(std::string("descendant::") + names::kDevInfo + "[" + names::kDeviceCode +
                                                         " = \"" + sDeviceCode + "\"]");
  return devInfo ? devInfo.parentNode() : platform::XmlNode();
}

}  // namespace

platform::XmlNode FindDeviceCodeNode(const std::string& sXMLFile, const std::string& sDeviceCode) {
  return FindDeviceCodeIn(LoadXmlDocument(sXMLFile), sDeviceCode);
}

platform::XmlNode FindDeviceCodeNode(const std::string& sXMLFile, std::string_view bytes,
                                     const std::string& sDeviceCode) {
  return FindDeviceCodeIn(LoadXmlDocument(sXMLFile, bytes), sDeviceCode);
}

}  // namespace vemo

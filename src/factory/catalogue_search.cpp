#include "factory/catalogue_search.h"


#include "platform/file_system.h"
#include "platform/text.h"
#include "support/xml_loading.h"

namespace vemo {

namespace {

using Query = platform::XmlNode (*)(const std::string& file, const std::string& key);


// Queries a file of the folder. One that a link leads out of the folder is reported as
// unreadable and skipped: a catalogue never shows another file's lines.
platform::XmlNode QueryInside(const platform::FolderBoundary& folder, const std::string& file, const std::string& key,
                              Query query) {
  if (!folder.Contains(file)) {
    platform::XmlParseError error;
    error.errorCode = platform::kUnreadableFileCode;
    error.reason = kOutsideFolderReason;
    ReportParseError(file, error);
    return {};
  }
  return query(file, key);
}

// Tries `firstFile` in `folder`, then scans the folder's xml files in listing order;
// the first file that gives an element wins.
CatalogueMatch Search(const std::string& folder, const std::string& firstFile, const std::string& key, Query query) {
  CatalogueMatch match{{}, folder + firstFile};
  const platform::FolderBoundary boundary(folder);
  // An ID with a separator or a NUL in it names no file of this folder.
  const bool namesAFile = firstFile.find_first_of(std::string("/\0", 2)) == std::string::npos;
  if (namesAFile && platform::FileExists(match.file)) match.element = QueryInside(boundary, match.file, key, query);
  if (match.element) return match;
  for (const platform::FileEntry& entry : platform::ListFiles(folder)) {
    if (!IsCatalogueFileName(entry.name)) continue;
    match.element = QueryInside(boundary, entry.path, key, query);
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
  return Search(folder, sProgID + ".xml", sProgID, FindProgIDNode);
}

CatalogueMatch SearchByDeviceCode(const std::string& folder, const std::string& sDeviceCode) {
  return Search(folder, kMiscPidsFile, sDeviceCode, FindDeviceCodeNode);
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

#pragma once

#include <string>
#include <string_view>

#include "platform/xml_dom.h"

namespace vemo {

// A catalogue element and the path of the file that holds it. When nothing matched,
// `element` is nothing and `file` is the file tried first.
struct CatalogueMatch {
  platform::XmlNode element;
  std::string file;
};

// The file a 4-character device code is looked for first.
inline constexpr const char* kMiscPidsFile = "MiscPIDs.xml";

// True for the names a folder scan reads: an "xml" extension in any letter case.
bool IsCatalogueFileName(const std::string& fileName);

// Searches `folder` (ending with "/") for a 16-character program ID: first the file
// named by the ID and ".xml", then every file with an "xml" extension in listing order,
// the first file included again.
CatalogueMatch SearchByProgramID(const std::string& folder, const std::string& sProgID);

// Searches `folder` for a 4-character device code: first "MiscPIDs.xml", then every
// "xml" file in listing order.
CatalogueMatch SearchByDeviceCode(const std::string& folder, const std::string& sDeviceCode);

// The parent of the first "DevInfo" element, at any depth below a catalogue root, whose
// "DeviceCode" child element has exactly the text `sDeviceCode`; or nothing.
platform::XmlNode FindDeviceCodeNode(const std::string& sXMLFile, const std::string& sDeviceCode);
// The same query on the bytes of `sXMLFile` as the caller read them.
platform::XmlNode FindDeviceCodeNode(const std::string& sXMLFile, std::string_view bytes,
                                     const std::string& sDeviceCode);

}  // namespace vemo

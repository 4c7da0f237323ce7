#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/xml_dom.h"

namespace vemo {

// One catalogue file as a folder scan meets it.
struct ScannedCatalogueFile {
  std::string path;
  // Set when a lookup reports the file as broken and skips it.
  std::optional<platform::XmlParseError> error;
  // The C5Device entries a program-ID lookup chooses from, in document order. They keep
  // the parsed document alive.
  std::vector<platform::XmlNode> devices;
};

// Visits the catalogue files of `folder` (ending with "/") in the order a lookup scans
// them, read under the lookup's rules and limits. Shows no message box. Error 76 when
// the folder cannot be listed.
void ScanCatalogue(const std::string& folder, const std::function<void(const ScannedCatalogueFile&)>& visit);

}  // namespace vemo

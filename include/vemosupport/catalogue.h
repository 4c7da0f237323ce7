#pragma once

// Listing what a catalogue folder holds. ListCatalogue may be called from any thread.

#include <string>
#include <vector>

#include "vemosupport/export.h"

namespace vemo {

// One device entry, as a device-information record made from it reads it.
struct CatalogueEntry {
  std::string programId;  // without the attribute's leading "P"
  std::string deviceCode, deviceType, manufacturer;
  std::string xmlFilename;  // the file that holds it
};

// A catalogue file that a lookup would report as broken and skip.
struct UnreadableCatalogueFile {
  std::string xmlFilename;
  std::string description;  // "line N: " and the reason, or the reason alone
};

struct CatalogueListing {
  std::vector<CatalogueEntry> entries;
  std::vector<UnreadableCatalogueFile> unreadableFiles;
};

// Every device entry of `folder` in the order a lookup scans them (the folder's .xml
// files by name, each file's C5Device entries in document order), read under the same
// rules and limits as a lookup, and every file a lookup would skip as broken. Shows no
// message box. Error 76 when the folder cannot be listed.
VEMO_EXPORT CatalogueListing ListCatalogue(const std::string& folder);

}  // namespace vemo

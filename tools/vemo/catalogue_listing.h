#pragma once

#include <string>
#include <vector>

namespace vemo::cli {

// One device entry of a catalogue file.
struct ListedDevice {
  std::string programId;  // the ProgramID attribute without its first character, as the record gives it
  std::string deviceCode, deviceType, manufacturer, xmlFilename;
};

// A catalogue file that could not be read; the lookup skips it too.
struct UnreadableFile {
  std::string xmlFilename, description;
};

struct Listing {
  std::string folder;
  std::vector<ListedDevice> devices;
  std::vector<UnreadableFile> unreadableFiles;
};

// Every device entry of `folder` (which ends with "/") in the order the lookup scans
// them: the folder's .xml files by name, each file's C5Device entries in document order.
Listing ListCatalogue(const std::string& folder);

}  // namespace vemo::cli

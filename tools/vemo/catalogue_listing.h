#pragma once

#include <string>
#include <vector>

#include "vemosupport/catalogue.h"

namespace vemo::cli {

using ListedDevice = CatalogueEntry;
using UnreadableFile = UnreadableCatalogueFile;

// What `vemo list` shows: the folder and the library's listing of it.
struct Listing {
  std::string folder;
  std::vector<ListedDevice> devices;
  std::vector<UnreadableFile> unreadableFiles;
};

// Every device entry of `folder` (which ends with "/") in the order the lookup scans
// them, and the files the lookup would skip as broken.
Listing ListFolder(const std::string& folder);

// A catalogue file's name alone when it lies in `folder` (which ends with "/"), else its
// whole path.
std::string FileName(const std::string& path, const std::string& folder);

}  // namespace vemo::cli

#include "factory/default_catalog_folder.h"

#ifndef VEMO_DEFAULT_CATALOG_DIR
#error "VEMO_DEFAULT_CATALOG_DIR must name the built-in catalogue folder"
#endif

#include <cstdlib>
#include <optional>

namespace vemo {

namespace {

// The host's folder; unset until SetDefaultCatalogFolder.
std::optional<std::string>& HostFolder() {
  static std::optional<std::string> folder;
  return folder;
}

}  // namespace

std::string DefaultCatalogFolder() {
  if (HostFolder()) return *HostFolder();
  if (const char* folder = std::getenv("VEMO_DEFAULT_CATALOG_DIR"); folder && *folder) return folder;
  return VEMO_DEFAULT_CATALOG_DIR;
}

void SetDefaultCatalogFolder(std::string path) { HostFolder() = std::move(path); }
void ResetDefaultCatalogFolder() { HostFolder().reset(); }

}  // namespace vemo

// The last fallback of the catalogue-folder resolution.
#ifndef VEMO_DEFAULT_CATALOG_DIR
#error "VEMO_DEFAULT_CATALOG_DIR must name the built-in catalogue folder"
#endif

#include <cstdlib>

#include "platform/hook.h"
#include "vemosupport/host.h"

namespace vemo {

namespace {

// The host's folder; none until SetDefaultCatalogFolder.
platform::Hook<std::string>& HostFolder() {
  static platform::Hook<std::string> folder;
  return folder;
}

}  // namespace

std::string DefaultCatalogFolder() {
  if (const std::shared_ptr<const std::string> folder = HostFolder().Get()) return *folder;
  if (const char* folder = std::getenv("VEMO_DEFAULT_CATALOG_DIR"); folder && *folder) return folder;
  return VEMO_DEFAULT_CATALOG_DIR;
}

void SetDefaultCatalogFolder(std::string path) { HostFolder().Set(std::make_shared<const std::string>(std::move(path))); }
void ResetDefaultCatalogFolder() { HostFolder().Set(nullptr); }

}  // namespace vemo

// The last fallback of the catalogue-folder resolution.
#ifndef VEMO_DEFAULT_CATALOG_DIR
#error "VEMO_DEFAULT_CATALOG_DIR must name the built-in catalogue folder"
#endif
#ifndef VEMO_CATALOG_DIR_FROM_LIBRARY
#error "VEMO_CATALOG_DIR_FROM_LIBRARY must name the installed catalogue relative to the library's folder"
#endif

#include <cstdlib>
#include <filesystem>

#include "platform/file_system.h"
#include "platform/hook.h"
#include "vemosupport/host.h"

namespace vemo {

namespace {

// The host's folder; none until SetDefaultCatalogFolder.
platform::Hook<std::string>& HostFolder() {
  static platform::Hook<std::string> folder;
  return folder;
}

// The installed sample catalogue, found from wherever this library was loaded, so that
// an installation into any prefix, or a copy of it moved elsewhere, finds its own.
std::string CatalogueBesideLibrary() {
  const std::string library = platform::ThisLibraryFile();
  if (library.empty()) return {};
  return (std::filesystem::path(library).parent_path() / VEMO_CATALOG_DIR_FROM_LIBRARY).lexically_normal().string();
}

}  // namespace

std::string DefaultCatalogFolder() {
  if (const std::shared_ptr<const std::string> folder = HostFolder().Get()) return *folder;
  if (const char* folder = std::getenv("VEMO_DEFAULT_CATALOG_DIR"); folder && *folder) return folder;
  if (const std::string installed = CatalogueBesideLibrary(); platform::FolderExists(installed)) return installed;
  return VEMO_DEFAULT_CATALOG_DIR;
}

std::vector<std::string> InstalledCatalogFolders() {
  std::vector<std::string> folders;
  if (std::string installed = CatalogueBesideLibrary(); !installed.empty()) folders.push_back(std::move(installed));
  if (folders.empty() || folders.front() != VEMO_DEFAULT_CATALOG_DIR) folders.emplace_back(VEMO_DEFAULT_CATALOG_DIR);
  return folders;
}

void SetDefaultCatalogFolder(std::string path) { HostFolder().Set(std::make_shared<const std::string>(std::move(path))); }
void ResetDefaultCatalogFolder() { HostFolder().Set(nullptr); }

}  // namespace vemo

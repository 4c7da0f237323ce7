#include "factory/default_catalog_folder.h"

#ifndef VEMO_DEFAULT_CATALOG_DIR
#error "VEMO_DEFAULT_CATALOG_DIR must name the built-in catalogue folder"
#endif

namespace vemo {

namespace {

std::string& Folder() {
  static std::string folder = VEMO_DEFAULT_CATALOG_DIR;
  return folder;
}

}  // namespace

std::string DefaultCatalogFolder() { return Folder(); }
void SetDefaultCatalogFolder(std::string path) { Folder() = std::move(path); }
void ResetDefaultCatalogFolder() { Folder() = VEMO_DEFAULT_CATALOG_DIR; }

}  // namespace vemo

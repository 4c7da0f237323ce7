#pragma once

#include <string>

namespace vemo {

// The last fallback of the catalogue-folder resolution. It starts as the folder the
// library was built with (VEMO_DEFAULT_CATALOG_DIR); a host may change it before use.
std::string DefaultCatalogFolder();
void SetDefaultCatalogFolder(std::string path);
// Restores the built-in folder.
void ResetDefaultCatalogFolder();

}  // namespace vemo

#pragma once

#include <string>

namespace vemo {

// The last fallback of the catalogue-folder resolution: the folder a host set, else the
// environment variable VEMO_DEFAULT_CATALOG_DIR, else the folder the library was built
// with (the CMake option of the same name).
std::string DefaultCatalogFolder();
void SetDefaultCatalogFolder(std::string path);
// Forgets the host's folder.
void ResetDefaultCatalogFolder();

}  // namespace vemo

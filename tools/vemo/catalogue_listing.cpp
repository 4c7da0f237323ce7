#include "catalogue_listing.h"

namespace vemo::cli {

Listing ListFolder(const std::string& folder) {
  CatalogueListing listing = ListCatalogue(folder);
  return Listing{folder, std::move(listing.entries), std::move(listing.unreadableFiles)};
}

std::string FileName(const std::string& path, const std::string& folder) {
  return path.starts_with(folder) ? path.substr(folder.size()) : path;
}

}  // namespace vemo::cli

#include "catalogue_listing.h"

namespace vemo::cli {

Listing ListFolder(const std::string& folder) {
  CatalogueListing listing = ListCatalogue(folder);
  return Listing{folder, std::move(listing.entries), std::move(listing.unreadableFiles)};
}

}  // namespace vemo::cli

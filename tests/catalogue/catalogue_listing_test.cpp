#include <filesystem>
#include <string>

#include "common/test_support.h"
#include "vemosupport/catalogue.h"

namespace vemo {
namespace {

using test::Catalogue;
using test::Device;

std::string Names(const CatalogueListing& listing) {
  std::string names;
  for (const CatalogueEntry& entry : listing.entries) {
    names += entry.programId + "/" + entry.deviceCode + "@" + std::filesystem::path(entry.xmlFilename).filename().string() + " ";
  }
  return names;
}

TEST(CatalogueListing, EntriesInLookupOrderAndBrokenFilesUnderTheLookupsRules) {
  test::TempDir dir;
  test::MessageBoxRecorder boxes;
  const std::string folder = dir.Mkdir("catalogue");
  dir.Write("catalogue/b.XML", Catalogue(Device("000000000000000B", "BB01") + Device("000000000000000C")));
  dir.Write("catalogue/a.xml", Catalogue(Device("000000000000000A", "AA01")));
  dir.Write("catalogue/c.txt", Catalogue(Device("00000000000000FF", "FF01")));
  dir.Write("catalogue/d.xml", "<x:C5Devices xmlns:x='urn:x'><x:C5Device ProgramID='P0000000000000D0'/></x:C5Devices>");
  dir.Write("catalogue/e.xml", "<C5Devices>\n<C5Device\n</C5Devices>");
  std::filesystem::create_symlink(dir.Write("secret.xml", Catalogue(Device("0000000000000005"))), folder + "/g.xml");

  const CatalogueListing listing = ListCatalogue(folder);
  EXPECT_EQ(Names(listing), "000000000000000A/AA01@a.xml 000000000000000B/BB01@b.XML 000000000000000C/@b.XML ");
  ASSERT_EQ(listing.unreadableFiles.size(), 2u);
  EXPECT_EQ(listing.unreadableFiles[0].xmlFilename, folder + "/e.xml");
  EXPECT_EQ(listing.unreadableFiles[0].description.rfind("line 3: ", 0), 0u) << listing.unreadableFiles[0].description;
  EXPECT_NE(listing.unreadableFiles[1].description.find("outside the catalogue folder"), std::string::npos);
  EXPECT_TRUE(boxes.boxes().empty()) << "a listing shows no message box";
  test::ExpectAutomationError([&] { ListCatalogue(dir.path() + "/missing"); }, 76);
}

}  // namespace
}  // namespace vemo

// Listing a catalogue folder with the lookup's own file order, rules and limits.
#include "catalogue/catalogue_scan.h"
#include "catalogue/catalogue_search.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "progid/cProgIDInfo.h"
#include "support/catalogue_names.h"
#include "support/xml_loading.h"
#include "vemosupport/catalogue.h"

namespace vemo {

namespace {

std::string Describe(const platform::XmlParseError& error) {
  return error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.reason : error.reason;
}

// The entry as its device-information record reads it; an entry without "DevInfo",
// which gives no record, by its program ID alone.
CatalogueEntry ReadEntry(const platform::XmlNode& device, const std::string& file) {
  if (!device.selectSingleNode(names::kDevInfo)) {
    return CatalogueEntry{WithoutFirstCharacter(device.getAttribute(names::kProgramId).value_or("")), {}, {}, {}, file};
  }
  cProgIDInfo record;
  record.LoadDeviceEntry(device, file);
  return CatalogueEntry{record.ProgramID(), record.DeviceCode(), record.DeviceType(), record.Manufacturer(), file};
}

}  // namespace

void ScanCatalogue(const std::string& folder, const std::function<void(const ScannedCatalogueFile&)>& visit) {
  const platform::FolderBoundary boundary(folder);
  platform::FileReader reader;
  for (const platform::FileEntry& file : platform::ListFiles(folder)) {
    if (!IsCatalogueFileName(file.name)) continue;
    ScannedCatalogueFile scanned{file.path, std::nullopt, {}};
    // Opened once, as a lookup opens it: the folder check and the parse see one file.
    std::string problem;
    const std::optional<std::string_view> bytes = reader.ReadInside(boundary, file, platform::kMaxXmlFileBytes, problem);
    platform::XmlDocument document;
    if (!bytes) document.failUnreadable(problem);
    if (!bytes || !document.load(file.path, *bytes)) {
      scanned.error = document.parseError();
      visit(scanned);
      continue;
    }
    const platform::XmlNode catalogue = CatalogueRoot(document);
    for (platform::XmlNode child = catalogue.firstChild(); child; child = child.nextSibling()) {
      // What the lookup's "child::C5Device" selects: elements of that name in no namespace.
      if (child.nodeType() == platform::XmlNodeType::Element && child.baseName() == names::kDevice &&
          child.inNoNamespace()) {
        scanned.devices.push_back(child);
      }
    }
    visit(scanned);
  }
}

CatalogueListing ListCatalogue(const std::string& folder) {
  const std::string root = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  CatalogueListing listing;
  ScanCatalogue(root, [&](const ScannedCatalogueFile& file) {
    if (file.error) listing.unreadableFiles.push_back({file.path, Describe(*file.error)});
    for (const platform::XmlNode& device : file.devices) listing.entries.push_back(ReadEntry(device, file.path));
  });
  return listing;
}

}  // namespace vemo

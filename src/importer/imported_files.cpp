#include "vemosupport/file_output.h"
#include "vemosupport/importer.h"

namespace vemo {

ImportedFiles ImportedFilePaths(const ImportedDevice& device, const std::string& folder) {
  const std::string base = folder + "/" + device.programId;
  return {base + ".xml", base + ".kiv"};
}

ImportedFiles WriteImportedDevice(const ImportedDevice& device, const std::string& folder, bool replace) {
  MakeFolder(folder);
  const ImportedFiles files = ImportedFilePaths(device, folder);
  WriteFilesAtomically({{files.configurationFile, device.configurationFile}, {files.catalogueFile, device.catalogueEntry}},
                       replace);
  return files;
}

}  // namespace vemo

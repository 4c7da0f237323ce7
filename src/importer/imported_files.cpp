#include <sys/stat.h>

#include <filesystem>

#include "vemosupport/file_output.h"
#include "vemosupport/importer.h"

namespace vemo {

ImportedFiles ImportedFilePaths(const ImportedDevice& device, const std::string& folder) {
  const std::string base = folder + "/" + device.programId;
  return {base + ".xml", base + ".kiv"};
}

ImportedFiles WriteImportedDevice(const ImportedDevice& device, const std::string& folder, bool replace) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) == 0) {
    if (!S_ISDIR(status.st_mode)) {
      throw FileOutputError(folder, std::make_error_code(std::errc::not_a_directory), "cannot write into");
    }
  } else {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw FileOutputError(folder, error, "cannot make the folder");
  }
  const ImportedFiles files = ImportedFilePaths(device, folder);
  WriteFilesAtomically({{files.configurationFile, device.configurationFile}, {files.catalogueFile, device.catalogueEntry}},
                       replace);
  return files;
}

}  // namespace vemo

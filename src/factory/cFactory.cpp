#include "factory/cFactory.h"

#include "factory/default_catalog_folder.h"
#include "platform/file_system.h"
#include "services/config_path_service.h"

namespace vemo {

std::string TrimSpaces(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string cFactory::ResolveXMLFolder(const std::string& sXMLFolder) {
  std::string folder;
  if (platform::FolderExists(sXMLFolder)) {
    folder = sXMLFolder;
  } else if (platform::FolderExists(m_sXMLFolder)) {
    folder = m_sXMLFolder;
  } else {
    std::string servicePath;
    {
      std::unique_ptr<services::IConfigPathService> service = services::CreateConfigPathService();
      servicePath = service->GetConfigPath(1).ToText();
    }
    if (platform::FolderExists(servicePath)) folder = servicePath;
    if (folder.empty() && platform::FolderExists(DefaultCatalogFolder())) folder = DefaultCatalogFolder();
    m_sXMLFolder = folder;
  }
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace vemo

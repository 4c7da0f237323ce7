#include "factory/folder_resolution.h"

#include <array>
#include <charconv>
#include <memory>

#include "platform/file_system.h"
#include "services/config_path_service.h"
#include "vemosupport/host.h"

namespace vemo {

std::string UniqueNodeNumber(std::int32_t nodeCount) {
  std::array<char, 16> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<unsigned>(nodeCount), 16).ptr;
  std::string tail(digits.data(), end);
  for (char& c : tail) c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
  return std::string("FFFF00000000").substr(0, 12 - tail.size()) + tail;
}

std::string ResolveXMLFolder(std::string& remembered, const std::string& sXMLFolder) {
  std::string folder;
  if (platform::FolderExists(sXMLFolder)) {
    folder = sXMLFolder;
  } else if (platform::FolderExists(remembered)) {
    folder = remembered;
  } else {
    std::string servicePath;
    {
      std::unique_ptr<IConfigPathService> service = services::CreateConfigPathService();
      servicePath = service->GetConfigPath(1).ToText();
    }
    if (platform::FolderExists(servicePath)) folder = servicePath;
    if (folder.empty() && platform::FolderExists(DefaultCatalogFolder())) folder = DefaultCatalogFolder();
    remembered = folder;
  }
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace vemo

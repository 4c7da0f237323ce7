#include "services/kiv_file_reader.h"

#include <optional>
#include <vector>

#include "platform/file_system.h"

namespace vemo::services {

ConfigurationFileStatus ReadConfigurationFile(const std::string& path, std::string_view programId,
                                              std::span<std::uint8_t> block) {
  const std::optional<std::string> content =
      platform::ReadRegularFile(path, static_cast<std::int64_t>(kMaxConfigurationFileBytes));
  if (!content) return ConfigurationFileStatus::kUnreadable;
  return ParseConfigurationFile(*content, programId, block);
}

}  // namespace vemo::services

namespace vemo {

ConfigurationFileStatus CheckConfigurationFile(const std::string& path, const std::string& programId,
                                               std::size_t blockBytes) {
  std::vector<std::uint8_t> block(blockBytes);
  return services::ReadConfigurationFile(path, programId, block);
}

std::string DescribeConfigurationFileStatus(ConfigurationFileStatus status, std::size_t blockBytes) {
  switch (status) {
    case ConfigurationFileStatus::kRead: break;
    case ConfigurationFileStatus::kUnreadable: return "cannot be read";
    case ConfigurationFileStatus::kNotTheFormat:
      return "is not in the configuration-file format (a \"vemo-kiv 1\" line, then the program ID)";
    case ConfigurationFileStatus::kOtherProgramId: return "names another program ID";
    case ConfigurationFileStatus::kMalformedHex: return "holds data that is not hexadecimal bytes";
    case ConfigurationFileStatus::kWrongSize:
      return "does not hold the device's " + std::to_string(blockBytes > 0 ? blockBytes - 1 : 0) +
             " bytes of configuration data (" + std::to_string(blockBytes) + " with the spare byte)";
  }
  return {};
}

}  // namespace vemo

namespace vemo::services {

bool KivFileReader::ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) {
  return ReadConfigurationFile(path, programId, block) == ConfigurationFileStatus::kRead;
}

}  // namespace vemo::services

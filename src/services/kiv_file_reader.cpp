#include "services/kiv_file_reader.h"

#include <optional>

#include "platform/file_system.h"

namespace vemo::services {

ConfigurationFileStatus ReadConfigurationFile(const std::string& path, std::string_view programId,
                                              std::span<std::uint8_t> block) {
  const std::optional<std::string> content =
      platform::ReadRegularFile(path, static_cast<std::int64_t>(kMaxConfigurationFileBytes));
  if (!content) return ConfigurationFileStatus::kUnreadable;
  return ParseConfigurationFile(*content, programId, block);
}

bool KivFileReader::ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) {
  return ReadConfigurationFile(path, programId, block) == ConfigurationFileStatus::kRead;
}

}  // namespace vemo::services

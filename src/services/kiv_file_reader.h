#pragma once

#include <cstdint>

#include "services/configuration_file_format.h"
#include "vemosupport/host.h"

namespace vemo::services {

// Reads the configuration file at `path` (services/configuration_file_format.h) into
// `block` for the device `programId`; on any status but kRead the block is unchanged.
// Never throws for the file's content.
ConfigurationFileStatus ReadConfigurationFile(const std::string& path, std::string_view programId,
                                              std::span<std::uint8_t> block);

// The default reader: true exactly when ReadConfigurationFile read the file.
class KivFileReader : public IKivReader {
 public:
  bool ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) override;
};

}  // namespace vemo::services

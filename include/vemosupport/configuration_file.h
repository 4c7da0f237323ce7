#pragma once

// Writing a configuration file in the format the default configuration-file reader
// reads. FormatConfigurationFile keeps no state: call it from any thread.

#include <cstdint>
#include <string>
#include <vector>

#include "vemosupport/export.h"

namespace vemo {

// A data point's bytes of the configuration data block, and a comment that names it.
struct ConfigurationValue {
  std::vector<std::uint8_t> bytes;
  std::string comment;
};

// The text of a configuration file of the device `programId` whose configuration data
// block holds `values` one after another from offset 0, then the spare byte (written as
// 00; a file without values has no data). Each value starts a line that carries its
// offset and comment; each line of `preamble` becomes a comment line above the header.
VEMO_EXPORT std::string FormatConfigurationFile(const std::string& programId,
                                                const std::vector<ConfigurationValue>& values,
                                                const std::string& preamble = "");

}  // namespace vemo

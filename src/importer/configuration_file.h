#pragma once

// The device's configuration values as a configuration file ("vemo-kiv 1"), laid out as
// population lays out the configuration data block.

#include <cstddef>
#include <string>

#include "importer/device_points.h"

namespace vemo::importer {

struct ConfigurationFile {
  std::string text;
  std::size_t bytes = 0;  // data bytes in the file, the spare byte included
};

// The block holds the CP values in ascending CP Index (the order of `points.cps`), then
// the configuration NVs' values in ascending NV index, then one spare byte. Each value
// starts a line with a comment naming its point; a device whose comments would take the
// file past kMaxConfigurationFileBytes gets its bytes in plain lines instead. A device
// without configuration values gets a file with no data.
ConfigurationFile WriteConfigurationFile(const XifDevice& device, const DevicePoints& points,
                                         const std::string& sourceName);

}  // namespace vemo::importer

#pragma once

// Writing a configuration file in the format the default configuration-file reader
// reads, and asking why that reader would refuse one. These functions keep no state:
// call them from any thread (NodeConfigurationFile with a node of that thread).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vemosupport/I709Node.h"
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

// The configuration data block of `node` as a configuration file: its CPs in ascending
// CP index, then its configuration NVs in ascending NV index, each value as it stands
// now and named in a comment, then the spare byte. Reading the file into a node of the
// same device gives every data point the value it has here. Raises what reading a value
// raises (422 for a point without storage).
VEMO_EXPORT std::string NodeConfigurationFile(I709Node& node);

// What the default reader makes of a configuration file for a block.
enum class ConfigurationFileStatus {
  kRead,
  kUnreadable,      // missing, not a regular file, unreadable, or over 16 MiB
  kNotTheFormat,    // no "vemo-kiv 1" line first, or no program-ID line after it
  kOtherProgramId,  // the file is another device's
  kMalformedHex,    // a data line that is not whole hexadecimal bytes
  kWrongSize,       // fewer bytes than the block (the spare byte aside) or more
};

// Whether the default reader reads the file at `path` for the device `programId` into a
// configuration data block of `blockBytes` bytes (the spare byte included), or why not.
// Reads the file and changes nothing.
VEMO_EXPORT ConfigurationFileStatus CheckConfigurationFile(const std::string& path, const std::string& programId,
                                                           std::size_t blockBytes);

// Why a file of that status is refused, for a message: "names another program ID", "does
// not hold the device's 9 bytes of configuration data (10 with the spare byte)". Empty for
// kRead.
VEMO_EXPORT std::string DescribeConfigurationFileStatus(ConfigurationFileStatus status, std::size_t blockBytes);

}  // namespace vemo

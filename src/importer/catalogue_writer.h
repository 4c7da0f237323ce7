#pragma once

// Writing a device interface as a catalogue entry and a configuration file.

#include "importer/xif_model.h"
#include "vemosupport/importer.h"

namespace vemo::importer {

// The whole catalogue file holding the device's C5Device entry (a DevInfo complete enough
// for a valid device-information record, its CPs and NVs), its configuration file, the
// counts, and a note for every value derived, every form rewritten and everything the
// entry cannot carry. Throws DeviceInterfaceError when the program ID is not 16
// hexadecimal digits (no entry could be found by it).
ImportedDevice WriteCatalogue(const XifDevice& device);

// The entry's DeviceCode: the program ID's 16 hexadecimal digits hashed with 32-bit
// FNV-1a, xor-folded to 20 bits and written as 4 characters of the RFC 4648 base-32
// alphabet (A-Z, 2-7), most significant first.
std::string DeviceCodeFor(const std::string& programId);

}  // namespace vemo::importer

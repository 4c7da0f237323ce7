#pragma once

// Reading a device interface file (XIF text) into its model. Both functions throw
// vemo::DeviceInterfaceError naming the file, the line and what was expected there.

#include <string>
#include <string_view>

#include "importer/xif_model.h"

namespace vemo::importer {

// Reads XIF text; `fileName` stands for the file in errors. A DOS end-of-file byte
// (0x1A) ends the text; binary data where configuration values are expected ends the
// read with the values read so far (XifDevice::binaryTailLine tells where).
XifDevice ReadXif(std::string_view text, const std::string& fileName);

// Reads the XIF file at `path`, a regular file of at most 16 MiB.
XifDevice ReadXifFile(const std::string& path);

}  // namespace vemo::importer

#pragma once

#include <cstdint>

#include "vemosupport/host.h"

namespace vemo::services {

// The default reader, for this project's configuration-file format:
//
//   # a comment runs from "#" to the end of the line; blank lines are ignored
//   vemo-kiv 1
//   program-id 80000A1B2C3D0401
//   00 2A 01 00    # data: hexadecimal, two digits a byte, blanks anywhere between bytes
//   FF10
//
// The header line names the format and its version, the next line the 16-character
// program ID; every further line holds data bytes, copied to the block from offset 0.
// A UTF-8 byte-order mark in front of the header is allowed. The data covers the whole
// block, whose last (spare) byte may be left out. A file that is unreadable, not a
// regular file, larger than 16 MiB, not in the format, of another program ID, with
// malformed hexadecimal, or with fewer or more bytes than the block leaves the block
// unchanged and answers false.
class KivFileReader : public IKivReader {
 public:
  // Larger files are refused; the importer writes none larger.
  static constexpr std::int64_t kMaxFileBytes = 16 * 1024 * 1024;

  bool ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) override;
};

}  // namespace vemo::services

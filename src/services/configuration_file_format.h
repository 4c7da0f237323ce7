#pragma once

// This project's configuration-file format, read and written here and nowhere else:
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
// block; its last, spare byte, which no data point reaches, may be left out by a file
// and is always written by this project.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "vemosupport/configuration_file.h"

namespace vemo::services {

// Larger files are refused, and none is written larger.
inline constexpr std::size_t kMaxConfigurationFileBytes = 16 * 1024 * 1024;

// What reading a configuration file into a block gave: the block filled, or why not.
using ConfigurationFileStatus = vemo::ConfigurationFileStatus;

// Copies the data of the configuration file `text` into `block` when the file is the
// device `programId`'s and its data fits the block; on any other status the block is
// left as it was.
ConfigurationFileStatus ParseConfigurationFile(std::string_view text, std::string_view programId,
                                               std::span<std::uint8_t> block);

// Writes a configuration file: the preamble and the header first, then the block's
// values one after another from offset 0, then the spare byte.
class ConfigurationFileWriter {
 public:
  // Each line of `preamble` becomes a comment line above the header.
  ConfigurationFileWriter(std::string_view programId, std::string_view preamble);

  // A comment line of its own after a blank line: a heading for the values that follow.
  void Heading(std::string_view text);
  // The next bytes of the block, from a line of their own, 16 a line; the first line's
  // comment gives their offset and `comment`. Line breaks in a comment become blanks.
  void Value(std::span<const std::uint8_t> bytes, std::string_view comment);
  // Ends the data with the spare byte, when there is any data, and gives the text.
  std::string Finish();

  std::size_t size() const { return text_.size(); }
  // Bytes of the block written so far; after Finish, the spare byte included.
  std::size_t offset() const { return offset_; }

 private:
  std::string text_;
  std::size_t offset_ = 0;
};

}  // namespace vemo::services

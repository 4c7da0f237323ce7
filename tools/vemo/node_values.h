#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vemosupport/I709Node.h"

namespace vemo::cli {

// One --set: a data point of the node and the bytes it takes.
struct Assignment {
  enum class Kind { NetworkVariable, ConfigurationProperty } kind = Kind::NetworkVariable;
  std::int32_t number = 0;  // the NV's index or the CP's key
  std::vector<std::uint8_t> bytes;
  std::string text;  // as given, for messages
};

// Reads "nv:INDEX=HEX" or "cp:KEY=HEX" (HEX: pairs of hexadecimal digits, blanks
// allowed between pairs). A malformed text is a UsageError.
Assignment ParseAssignment(const std::string& text);

// Writes the value into the node's data point. A point that does not exist, or bytes
// that do not match its size, is a UsageError; the library's own errors pass through.
void Apply(I709Node& node, const Assignment& assignment);

}  // namespace vemo::cli

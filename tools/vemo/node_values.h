#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vemosupport/I709Node.h"

namespace vemo::cli {

// One --set: a data point of the node and what it takes, either bytes as they stand or
// a value in the point's standard type, whole or one field of it.
struct Assignment {
  enum class Kind { NetworkVariable, ConfigurationProperty } kind = Kind::NetworkVariable;
  std::optional<std::int32_t> number;  // the NV's index or the CP's key
  std::string name;                    // the NV's name, when it is named instead
  std::optional<std::vector<std::uint8_t>> bytes;
  std::string value;  // otherwise: "21.5", "HVAC_AUTO", "{value: 100, state: 1}" or "state=1"
  std::string text;   // as given, for messages
};

// Reads "nv:INDEX=VALUE", "nv:NAME=VALUE" or "cp:KEY=VALUE". A VALUE of "0x" and pairs
// of hexadecimal digits (blanks allowed between pairs) is the point's bytes; anything
// else is read in the point's standard type when it is applied. A number never starts
// with "0x" nor with a needless 0, so the two never read alike. A malformed text is a
// UsageError.
Assignment ParseAssignment(const std::string& text);

// Writes the value into the node's data point. A point that does not exist, bytes that
// do not match its size, a value its type cannot take (out of range, no such member) or a
// value for a point of no standard type is a UsageError; the library's own errors pass
// through. Answers whether the point keeps its value in the configuration data block,
// which --write-config writes (CPs and configuration NVs), rather than bytes of its own.
bool Apply(I709Node& node, const Assignment& assignment);

}  // namespace vemo::cli

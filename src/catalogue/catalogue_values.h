#pragma once

#include <string>
#include <vector>

#include "vemosupport/I709Node.h"

namespace vemo {

// A populated node's configuration values (its CPs and configuration NVs) read in their
// standard types, as the catalogue check reports them: a number outside its type's range
// ("value-out-of-range"), an enumeration number that names no member ("unnamed-member").
// A value whose size is not its type's is left to the size checks; input and output NVs
// hold no configuration.
struct ValueFinding {
  const char* kind;
  std::string point;  // "CP 101", "NV 30 nciSndHrtBt"
  std::string value;  // the value's bytes, to tell the same value from two sources apart
  std::string description;
};

// `source` says whose values they are, for the descriptions: "default" or "value in the
// configuration file".
std::vector<ValueFinding> CheckNodeValues(I709Node& node, const std::string& source);

}  // namespace vemo

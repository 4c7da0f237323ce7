#pragma once

// Comparing two virtual nodes entry by entry. CompareNodes reads both nodes, which belong
// to the thread that made them; its result is a plain value.

#include <cstdint>
#include <string>
#include <vector>

#include "vemosupport/I709Node.h"
#include "vemosupport/export.h"

namespace vemo {

// One entry that differs between node A and node B: present on one side only, or on
// both with the named fields different.
struct EntryDifference {
  std::int32_t key = 0;  // object index, CP key or NV index
  bool inA = false, inB = false;
  // The fields whose values differ, by the names vemo's JSON gives them ("name",
  // "elementSize", "value", ...); empty when one side lacks the entry.
  std::vector<std::string> fields;
};

struct NodeComparison {
  std::vector<EntryDifference> objects;                  // LonMark objects, paired by index
  std::vector<EntryDifference> configurationProperties;  // paired by CP key
  std::vector<EntryDifference> networkVariables;         // paired by NV index

  bool Identical() const { return objects.empty() && configurationProperties.empty() && networkVariables.empty(); }
};

// The entries of `a` and `b` that differ, each list in ascending key order. A key filed
// twice on one side pairs its first entry. Values compare as bytes (a value whose reading
// raises an error compares by the error's number and description). Objects compare by
// type, name, description and the keys of their CPs and NVs; CPs by index, name, element
// count and size, type, object and select text; NVs by name, length, type, section,
// self-documentation, object and select text.
VEMO_EXPORT NodeComparison CompareNodes(I709Node& a, I709Node& b);

}  // namespace vemo

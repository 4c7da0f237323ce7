#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vemosupport/node_comparison.h"
#include "catalogue_listing.h"
#include "snapshot.h"

namespace vemo::cli {

// One entry that differs between device A and device B: present on one side only, or
// on both with the named fields different.
template <class T>
struct Change {
  std::int32_t key = 0;  // object index, CP key or NV index
  std::optional<T> a, b;
  std::vector<std::string> fields;  // empty when one side lacks the entry
};

struct Diff {
  ListedDevice a, b;
  std::vector<Change<LonMarkObject>> objects;
  std::vector<Change<ConfigurationProperty>> configurationProperties;
  std::vector<Change<NetworkVariable>> networkVariables;

  bool Identical() const { return objects.empty() && configurationProperties.empty() && networkVariables.empty(); }
};

// What `vemo diff` shows: the library's comparison of two nodes (CompareNodes), each
// change with the entries of both sides as read into the snapshots `nodeA` and `nodeB`.
Diff Compare(const DeviceInfo& infoA, const Node& nodeA, const DeviceInfo& infoB, const Node& nodeB,
             const NodeComparison& comparison);

}  // namespace vemo::cli

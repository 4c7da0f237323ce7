#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// Compares two nodes populated without a configuration file, so their values are the
// catalogue's defaults. Entries pair up by object index, CP key and NV index.
Diff Compare(const DeviceInfo& infoA, const Node& nodeA, const DeviceInfo& infoB, const Node& nodeB);

}  // namespace vemo::cli

#include "diff.h"

namespace vemo::cli {

namespace {

// The changes the library found, each with both sides' entries as the command shows them.
template <class T, class KeyOf>
std::vector<Change<T>> Changes(const std::vector<EntryDifference>& differences, const std::vector<T>& a,
                               const std::vector<T>& b, KeyOf keyOf) {
  const auto first = [&keyOf](const std::vector<T>& entries, std::int32_t key) {
    for (const T& entry : entries) {
      if (keyOf(entry) == key) return std::optional<T>(entry);
    }
    return std::optional<T>();
  };
  std::vector<Change<T>> changes;
  for (const EntryDifference& difference : differences) {
    changes.push_back({difference.key, difference.inA ? first(a, difference.key) : std::nullopt,
                       difference.inB ? first(b, difference.key) : std::nullopt, difference.fields});
  }
  return changes;
}

ListedDevice Summary(const DeviceInfo& info) {
  return {info.programId, info.deviceCode, info.deviceType, info.manufacturer, info.xmlFilename};
}

}  // namespace

Diff Compare(const DeviceInfo& infoA, const Node& nodeA, const DeviceInfo& infoB, const Node& nodeB,
             const NodeComparison& comparison) {
  Diff diff{Summary(infoA), Summary(infoB), {}, {}, {}};
  diff.objects = Changes(comparison.objects, nodeA.objects, nodeB.objects,
                         [](const LonMarkObject& o) { return std::int32_t{o.index}; });
  diff.configurationProperties = Changes(comparison.configurationProperties, nodeA.configurationProperties,
                                         nodeB.configurationProperties,
                                         [](const ConfigurationProperty& cp) { return cp.key; });
  diff.networkVariables = Changes(comparison.networkVariables, nodeA.networkVariables, nodeB.networkVariables,
                                  [](const NetworkVariable& nv) { return std::int32_t{nv.index}; });
  return diff;
}

}  // namespace vemo::cli

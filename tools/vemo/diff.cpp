#include "diff.h"

#include <map>

namespace vemo::cli {

namespace {

class FieldList {
 public:
  template <class V>
  FieldList& Check(const char* name, const V& a, const V& b) {
    if (!(a == b)) names_.push_back(name);
    return *this;
  }
  std::vector<std::string> Names() { return std::move(names_); }

 private:
  std::vector<std::string> names_;
};

std::vector<std::string> DifferentFields(const LonMarkObject& a, const LonMarkObject& b) {
  return FieldList()
      .Check("type", a.type, b.type)
      .Check("name", a.name, b.name)
      .Check("description", a.description, b.description)
      .Check("cpKeys", a.cpKeys, b.cpKeys)
      .Check("nvIndexes", a.nvIndexes, b.nvIndexes)
      .Names();
}

std::vector<std::string> DifferentFields(const ConfigurationProperty& a, const ConfigurationProperty& b) {
  return FieldList()
      .Check("index", a.index, b.index)
      .Check("name", a.name, b.name)
      .Check("elementCount", a.elementCount, b.elementCount)
      .Check("elementSize", a.elementSize, b.elementSize)
      .Check("standardType", a.standardType, b.standardType)
      .Check("cpType", a.cpType, b.cpType)
      .Check("lmObjectId", a.lmObjectId, b.lmObjectId)
      .Check("selectData", a.selectData, b.selectData)
      .Check("value", a.value, b.value)
      .Names();
}

std::vector<std::string> DifferentFields(const NetworkVariable& a, const NetworkVariable& b) {
  return FieldList()
      .Check("name", a.name, b.name)
      .Check("length", a.length, b.length)
      .Check("nvType", a.nvType, b.nvType)
      .Check("section", a.section, b.section)
      .Check("selfDoc", a.selfDoc, b.selfDoc)
      .Check("lmObjectId", a.lmObjectId, b.lmObjectId)
      .Check("selectData", a.selectData, b.selectData)
      .Check("value", a.value, b.value)
      .Names();
}

// The entries that differ, in ascending key order. A key filed twice on one side pairs
// its first entry.
template <class T, class KeyOf>
std::vector<Change<T>> Changes(const std::vector<T>& a, const std::vector<T>& b, KeyOf keyOf) {
  std::map<std::int32_t, Change<T>> byKey;
  for (const T& entry : a) {
    Change<T>& change = byKey[keyOf(entry)];
    if (!change.a) change.a = entry;
  }
  for (const T& entry : b) {
    Change<T>& change = byKey[keyOf(entry)];
    if (!change.b) change.b = entry;
  }
  std::vector<Change<T>> changes;
  for (auto& [key, change] : byKey) {
    change.key = key;
    if (change.a && change.b) {
      change.fields = DifferentFields(*change.a, *change.b);
      if (change.fields.empty()) continue;
    }
    changes.push_back(std::move(change));
  }
  return changes;
}

ListedDevice Summary(const DeviceInfo& info) {
  return {info.programId, info.deviceCode, info.deviceType, info.manufacturer, info.xmlFilename};
}

}  // namespace

Diff Compare(const DeviceInfo& infoA, const Node& nodeA, const DeviceInfo& infoB, const Node& nodeB) {
  Diff diff{Summary(infoA), Summary(infoB), {}, {}, {}};
  diff.objects = Changes(nodeA.objects, nodeB.objects, [](const LonMarkObject& o) { return std::int32_t{o.index}; });
  diff.configurationProperties = Changes(nodeA.configurationProperties, nodeB.configurationProperties,
                                         [](const ConfigurationProperty& cp) { return cp.key; });
  diff.networkVariables = Changes(nodeA.networkVariables, nodeB.networkVariables,
                                  [](const NetworkVariable& nv) { return std::int32_t{nv.index}; });
  return diff;
}

}  // namespace vemo::cli

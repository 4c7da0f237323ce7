#include "vemosupport/node_comparison.h"

#include <map>
#include <optional>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/IC472VirtualObj.h"
#include "vemosupport/IVemoDataPointLayout.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/enumerator.h"

namespace vemo {

namespace {

// A value as its bytes, or as the error reading it raised.
struct ReadValue {
  std::vector<std::uint8_t> bytes;
  std::optional<std::pair<std::int32_t, std::string>> error;
  bool operator==(const ReadValue&) const = default;
};

template <class Point>
ReadValue Read(const Point& point) {
  try {
    const Variant value = point.Value();
    const ByteArray* bytes = value.AsBytes();
    return {bytes ? bytes->bytes : std::vector<std::uint8_t>{}, std::nullopt};
  } catch (const AutomationError& error) {
    return {{}, std::pair(error.number(), error.description())};
  }
}

// The names of the fields whose values differ.
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

struct ObjectEntry {
  std::int32_t key;
  std::int16_t type;
  std::string name, description;
  std::vector<std::int32_t> cpKeys;
  std::vector<std::int16_t> nvIndexes;
};

struct CpEntry {
  std::int32_t key, index;
  std::string name;
  std::int16_t elementCount, elementSize, cpType;
  bool standardType;
  std::int32_t lmObjectId;
  std::string selectData;
  ReadValue value;
};

struct NvEntry {
  std::int32_t key;
  std::string name;
  std::int16_t length, nvType;
  std::string section, selfDoc;
  std::int32_t lmObjectId;
  std::string selectData;
  ReadValue value;
};

std::vector<std::string> DifferentFields(const ObjectEntry& a, const ObjectEntry& b) {
  return FieldList()
      .Check("type", a.type, b.type)
      .Check("name", a.name, b.name)
      .Check("description", a.description, b.description)
      .Check("cpKeys", a.cpKeys, b.cpKeys)
      .Check("nvIndexes", a.nvIndexes, b.nvIndexes)
      .Names();
}

std::vector<std::string> DifferentFields(const CpEntry& a, const CpEntry& b) {
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

std::vector<std::string> DifferentFields(const NvEntry& a, const NvEntry& b) {
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

std::vector<ObjectEntry> Objects(I709Node& node) {
  std::vector<ObjectEntry> entries;
  for (std::int16_t i = 0; i < node.ObjectCount(); ++i) {
    std::string name;
    std::int16_t type = 0;
    std::int32_t resource = 0;
    const auto object = std::dynamic_pointer_cast<I709LMObject>(node.GetObject(i, name, type, resource).AsObject());
    if (!object) continue;
    ObjectEntry entry{object->Index(), object->LMObjectType(), object->Name(), object->Description(), {}, {}};
    if (const auto cps = object->ConfigurationProperties()) {
      for (const auto& cp : Members<IC472VirtualCP>(cps->NewEnum())) entry.cpKeys.push_back(cp->Key());
    }
    if (const auto nvs = object->NetworkVariables()) {
      for (const auto& nv : Members<I709NetworkVariable>(nvs->NewEnum())) entry.nvIndexes.push_back(nv->Index());
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<CpEntry> ConfigurationProperties(const I709Node& node) {
  std::vector<CpEntry> entries;
  const auto cps = node.ConfigurationProperties();
  if (!cps) return entries;
  for (const auto& cp : Members<I709ConfigurationProperty>(cps->NewEnum())) {
    const auto& filed = dynamic_cast<const IC472VirtualCP&>(*cp);
    const auto& link = dynamic_cast<const IC472VirtualObj&>(*cp);
    entries.push_back({filed.Key(), filed.Index(), cp->Name(), cp->ElementCount(), cp->ElementSize(), cp->CPType(),
                       cp->StandardType(), link.LMObjectID(), link.SelectData(), Read(*cp)});
  }
  return entries;
}

std::vector<NvEntry> NetworkVariables(const I709Node& node) {
  std::vector<NvEntry> entries;
  const auto nvs = node.NetworkVariables();
  if (!nvs) return entries;
  for (const auto& nv : Members<I709NetworkVariable>(nvs->NewEnum())) {
    const auto& link = dynamic_cast<const IC472VirtualObj&>(*nv);
    const auto& layout = dynamic_cast<const IVemoDataPointLayout&>(*nv);
    entries.push_back({nv->Index(), nv->Name(), nv->Length(), nv->NVType(), layout.Section(), nv->Comment(),
                       link.LMObjectID(), link.SelectData(), Read(*nv)});
  }
  return entries;
}

// The entries that differ, in ascending key order.
template <class T>
std::vector<EntryDifference> Differences(const std::vector<T>& a, const std::vector<T>& b) {
  struct Pair {
    const T* a = nullptr;
    const T* b = nullptr;
  };
  std::map<std::int32_t, Pair> byKey;
  for (const T& entry : a) {
    Pair& pair = byKey[entry.key];
    if (!pair.a) pair.a = &entry;
  }
  for (const T& entry : b) {
    Pair& pair = byKey[entry.key];
    if (!pair.b) pair.b = &entry;
  }
  std::vector<EntryDifference> differences;
  for (const auto& [key, pair] : byKey) {
    EntryDifference difference{key, pair.a != nullptr, pair.b != nullptr, {}};
    if (pair.a && pair.b) {
      difference.fields = DifferentFields(*pair.a, *pair.b);
      if (difference.fields.empty()) continue;
    }
    differences.push_back(std::move(difference));
  }
  return differences;
}

}  // namespace

NodeComparison CompareNodes(I709Node& a, I709Node& b) {
  return {Differences(Objects(a), Objects(b)), Differences(ConfigurationProperties(a), ConfigurationProperties(b)),
          Differences(NetworkVariables(a), NetworkVariables(b))};
}

}  // namespace vemo

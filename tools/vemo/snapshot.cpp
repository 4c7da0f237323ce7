#include "snapshot.h"

#include <memory>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/IC472VirtualObj.h"
#include "vemosupport/IVemoDataPointLayout.h"
#include "vemosupport/automation_error.h"
#include "points.h"

namespace vemo::cli {

namespace {

// A bound point's offset in the configuration data block; nothing for one with its own bytes.
std::optional<std::int32_t> Offset(const IVemoDataPointLayout& layout) {
  const std::int32_t offset = layout.BlockOffset();
  return offset >= 0 ? std::optional<std::int32_t>(offset) : std::nullopt;
}

template <class Record>
std::vector<Item> Items(const Record& record) {
  std::vector<Item> items;
  for (const auto& item : Members<IVemoProgIDItem>(record.NewEnum())) items.push_back({item->Name(), item->Value()});
  return items;
}

// The point's bytes, and what they stand for when the point has a standard type.
template <class Point>
Value ReadValue(const Point& point, const std::optional<DataType>& type) {
  Value read;
  if (type) read.typeName = std::string(type->Name());
  std::vector<std::uint8_t> bytes;
  try {
    const Variant value = point.Value();
    if (const ByteArray* array = value.AsBytes()) bytes = array->bytes;
    read.hex = Hex(bytes);
  } catch (const AutomationError& error) {
    read.error = ErrorInfo{error.number(), error.source(), error.description()};
    return read;
  }
  if (!type) return read;
  try {
    read.decoded = Decode(*type, bytes);
  } catch (const AutomationError& error) {
    read.decodeError = error.description();
  }
  return read;
}

// The configuration record answers its program ID as filed, "P" and all; every other
// answer of vemo gives the ID alone.
std::string WithoutLeadingP(const std::string& programId) {
  return programId.starts_with('P') ? programId.substr(1) : programId;
}

}  // namespace

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (std::uint8_t byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

const char* Direction(const NetworkVariable& nv) { return nv.section == "NVOs" ? "output" : "input"; }

DeviceInfo ReadDeviceInfo(const IVemoProgIDInfo& record) {
  DeviceInfo info;
  info.programId = record.ProgramID();
  info.xmlFilename = record.XMLFilename();
  info.isValid = record.IsValid();
  info.deviceCode = record.DeviceCode();
  info.deviceType = record.DeviceType();
  info.deviceTypeEx = record.DeviceTypeEx();
  info.has472Plugin = record.Has472Plugin();
  info.isHostBased = record.IsHostBased();
  info.isNeuronBased = record.IsNeuronBased();
  info.pluginVersion = record.PluginVersion();
  info.manufacturer = record.Manufacturer();
  info.selfDoc = record.SelfDoc();
  info.supportsFlash = record.SupportsFlash();
  info.supportsOfflineEdit = record.SupportsOfflineEdit();
  info.firmwareVersion = record.FirmwareVersion();
  info.isHybridBased = record.IsHybridBased();
  info.imgBlockSize = record.ImgBlockSize();
  info.items = Items(record);
  return info;
}

ConfigInfo ReadConfigInfo(const IVemoProgIDConfigInfo& record) {
  ConfigInfo info;
  info.programId = WithoutLeadingP(record.ProgramID());
  info.xmlFilename = record.XMLFilename();
  info.isValid = record.IsValid();
  info.level = record.Level();
  info.data = record.Data();
  info.items = Items(record);
  return info;
}

Node ReadNode(I709Node& node, bool populated) {
  Node snapshot;
  snapshot.uniqueNodeNum = node.UniqueNodeNum();
  snapshot.programId = node.ProgramID();
  snapshot.selfDoc = node.SelfDocumentation();
  snapshot.comment = node.Comment();
  snapshot.configurationFile = dynamic_cast<ICorvelNodeOffline&>(node).ConfigurationFile();
  snapshot.populated = populated;

  for (std::int16_t i = 0; i < node.ObjectCount(); ++i) {
    std::string name;
    std::int16_t type = 0;
    std::int32_t resource = 0;
    auto object = std::dynamic_pointer_cast<I709LMObject>(node.GetObject(i, name, type, resource).AsObject());
    if (!object) continue;
    LonMarkObject entry{object->Index(), object->LMObjectType(), object->Name(), object->Description(), {}, {}};
    if (const auto cps = object->ConfigurationProperties()) {
      for (const auto& cp : Members<IC472VirtualCP>(cps->NewEnum())) entry.cpKeys.push_back(cp->Key());
    }
    if (const auto nvs = object->NetworkVariables()) {
      for (const auto& nv : Members<I709NetworkVariable>(nvs->NewEnum())) entry.nvIndexes.push_back(nv->Index());
    }
    snapshot.objects.push_back(std::move(entry));
  }

  for (const auto& cp : ConfigurationProperties(node)) {
    const auto& filed = dynamic_cast<const IC472VirtualCP&>(*cp);
    const auto& link = dynamic_cast<const IC472VirtualObj&>(*cp);
    const auto& layout = dynamic_cast<const IVemoDataPointLayout&>(*cp);
    snapshot.configurationProperties.push_back({filed.Key(), filed.Index(), Offset(layout), cp->Name(), cp->ElementCount(),
                                                cp->ElementSize(), cp->CPType(), cp->StandardType(),
                                                link.LMObjectID(), link.SelectData(), ReadValue(*cp, TypeOf(*cp, node))});
  }
  for (const auto& nv : NetworkVariables(node)) {
    const auto& link = dynamic_cast<const IC472VirtualObj&>(*nv);
    const auto& layout = dynamic_cast<const IVemoDataPointLayout&>(*nv);
    snapshot.networkVariables.push_back({nv->Index(), nv->Length(), nv->NVType(), nv->Name(), nv->Comment(),
                                         link.SelectData(), layout.Section(), Offset(layout), link.LMObjectID(),
                                         ReadValue(*nv, TypeOf(*nv))});
  }
  return snapshot;
}

}  // namespace vemo::cli

#include "render.h"

#include <cmath>

namespace vemo::cli {

namespace {

Json OptionalJson(const std::optional<std::int32_t>& value) { return value ? Json(*value) : Json(nullptr); }

Json Document(const char* kind) { return {{"schema", kJsonSchema}, {"kind", kind}}; }

Json Append(Json document, const Json& members) {
  for (const auto& [key, value] : members.items()) document[key] = value;
  return document;
}

Json ItemsJson(const std::vector<Item>& items) {
  Json list = Json::array();
  for (const Item& item : items) list.push_back({{"name", item.name}, {"value", item.value}});
  return list;
}

Json ErrorDetail(const ErrorInfo& error) {
  return {{"number", error.number}, {"source", error.source}, {"description", error.description}};
}

const char* KindName(vemo::Value::Kind kind) {
  switch (kind) {
    case vemo::Value::Kind::kNumber: return "number";
    case vemo::Value::Kind::kFloat: return "float";
    case vemo::Value::Kind::kEnumeration: return "enumeration";
    case vemo::Value::Kind::kStructure: return "structure";
    case vemo::Value::Kind::kUnion: return "union";
    case vemo::Value::Kind::kArray: return "array";
    case vemo::Value::Kind::kText: return "text";
  }
  return "";
}

// A decoded value and, in `items`, its fields, union members or elements.
Json DecodedJson(const vemo::Value& value) {
  const bool numeric = value.kind == vemo::Value::Kind::kNumber || value.kind == vemo::Value::Kind::kFloat ||
                       value.kind == vemo::Value::Kind::kEnumeration;
  Json items = Json::array();
  for (const vemo::Value& item : value.items) items.push_back(DecodedJson(item));
  return {{"name", value.name},
          {"kind", KindName(value.kind)},
          {"text", Format(value)},
          {"number", numeric && std::isfinite(value.number) ? Json(value.number) : Json(nullptr)},
          {"unit", value.unit},
          {"member", value.kind == vemo::Value::Kind::kEnumeration && !value.member.empty() ? Json(value.member)
                                                                                          : Json(nullptr)},
          {"invalid", value.invalid},
          {"inRange", value.inRange},
          {"items", std::move(items)}};
}

void PutValue(Json& json, const Value& value) {
  json["value"] = value.hex ? Json(*value.hex) : Json(nullptr);
  json["valueError"] = value.error ? ErrorDetail(*value.error) : Json(nullptr);
  json["typeName"] = value.typeName ? Json(*value.typeName) : Json(nullptr);
  json["decoded"] = value.decoded ? DecodedJson(*value.decoded) : Json(nullptr);
}

Json ObjectJson(const LonMarkObject& object) {
  return {{"index", object.index},   {"type", object.type},     {"name", object.name},
          {"description", object.description}, {"cpKeys", object.cpKeys}, {"nvIndexes", object.nvIndexes}};
}

Json CPJson(const ConfigurationProperty& cp) {
  Json entry = {{"key", cp.key},
                {"index", cp.index},
                {"blockOffset", OptionalJson(cp.blockOffset)},
                {"name", cp.name},
                {"elementCount", cp.elementCount},
                {"elementSize", cp.elementSize},
                {"standardType", cp.standardType},
                {"cpType", cp.cpType},
                {"lmObjectId", cp.lmObjectId},
                {"selectData", cp.selectData}};
  PutValue(entry, cp.value);
  return entry;
}

Json NVJson(const NetworkVariable& nv) {
  Json entry = {{"index", nv.index},
                {"name", nv.name},
                {"section", nv.section},
                {"direction", Direction(nv)},
                {"blockOffset", OptionalJson(nv.blockOffset)},
                {"length", nv.length},
                {"nvType", nv.nvType},
                {"selfDoc", nv.selfDoc},
                {"lmObjectId", nv.lmObjectId},
                {"selectData", nv.selectData}};
  PutValue(entry, nv.value);
  return entry;
}

Json DeviceJson(const ListedDevice& device) {
  return {{"programId", device.programId},
          {"deviceCode", device.deviceCode},
          {"deviceType", device.deviceType},
          {"manufacturer", device.manufacturer},
          {"xmlFilename", device.xmlFilename}};
}

template <class T, class ToJsonFn>
Json ChangesJson(const std::vector<Change<T>>& changes, const char* keyName, ToJsonFn toJson) {
  Json list = Json::array();
  for (const Change<T>& change : changes) {
    list.push_back({{keyName, change.key},
                    {"a", change.a ? toJson(*change.a) : Json(nullptr)},
                    {"b", change.b ? toJson(*change.b) : Json(nullptr)},
                    {"fields", change.fields}});
  }
  return list;
}

}  // namespace

Json ErrorJson(const ErrorInfo& error) { return Append(Document("error"), {{"error", ErrorDetail(error)}}); }

Json NotFoundJson(const std::string& id) { return Append(Document("notFound"), {{"id", id}}); }

Json ToJson(const DeviceInfo& info) {
  return Append(Document("deviceInfo"), {{"programId", info.programId},
                                         {"xmlFilename", info.xmlFilename},
                                         {"isValid", info.isValid},
                                         {"deviceCode", info.deviceCode},
                                         {"deviceType", info.deviceType},
                                         {"deviceTypeEx", info.deviceTypeEx},
                                         {"manufacturer", info.manufacturer},
                                         {"pluginVersion", info.pluginVersion},
                                         {"firmwareVersion", info.firmwareVersion},
                                         {"selfDoc", info.selfDoc},
                                         {"has472Plugin", info.has472Plugin},
                                         {"isHostBased", info.isHostBased},
                                         {"isNeuronBased", info.isNeuronBased},
                                         {"isHybridBased", info.isHybridBased},
                                         {"supportsFlash", info.supportsFlash},
                                         {"supportsOfflineEdit", info.supportsOfflineEdit},
                                         {"imgBlockSize", info.imgBlockSize},
                                         {"items", ItemsJson(info.items)}});
}

Json ToJson(const ConfigInfo& info) {
  return Append(Document("configInfo"), {{"programId", info.programId},
                                         {"xmlFilename", info.xmlFilename},
                                         {"isValid", info.isValid},
                                         {"level", info.level},
                                         {"data", info.data},
                                         {"items", ItemsJson(info.items)}});
}

Json ToJson(const Node& node) {
  Json objects = Json::array();
  for (const LonMarkObject& object : node.objects) objects.push_back(ObjectJson(object));
  Json cps = Json::array();
  for (const ConfigurationProperty& cp : node.configurationProperties) cps.push_back(CPJson(cp));
  Json nvs = Json::array();
  for (const NetworkVariable& nv : node.networkVariables) nvs.push_back(NVJson(nv));
  return Append(Document("node"), {{"uniqueNodeNum", node.uniqueNodeNum},
                                   {"programId", node.programId},
                                   {"selfDoc", node.selfDoc},
                                   {"comment", node.comment},
                                   {"populated", node.populated},
                                   {"configurationFile", node.configurationFile},
                                   {"objects", std::move(objects)},
                                   {"configurationProperties", std::move(cps)},
                                   {"networkVariables", std::move(nvs)}});
}

Json ToJson(const Listing& listing) {
  Json devices = Json::array();
  for (const ListedDevice& device : listing.devices) devices.push_back(DeviceJson(device));
  Json unreadable = Json::array();
  for (const UnreadableFile& file : listing.unreadableFiles) {
    unreadable.push_back({{"xmlFilename", file.xmlFilename}, {"description", file.description}});
  }
  return Append(Document("list"),
                {{"folder", listing.folder}, {"devices", std::move(devices)}, {"unreadableFiles", std::move(unreadable)}});
}

Json ToJson(const Diff& diff) {
  return Append(Document("diff"), {{"a", DeviceJson(diff.a)},
                                   {"b", DeviceJson(diff.b)},
                                   {"identical", diff.Identical()},
                                   {"objects", ChangesJson(diff.objects, "index", ObjectJson)},
                                   {"configurationProperties", ChangesJson(diff.configurationProperties, "key", CPJson)},
                                   {"networkVariables", ChangesJson(diff.networkVariables, "index", NVJson)}});
}

}  // namespace vemo::cli

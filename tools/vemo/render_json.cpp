#include "render.h"

namespace vemo::cli {

namespace {

using Json = nlohmann::ordered_json;

Json ItemsJson(const std::vector<Item>& items) {
  Json list = Json::array();
  for (const Item& item : items) list.push_back({{"name", item.name}, {"value", item.value}});
  return list;
}

void PutValue(Json& json, const Value& value) {
  if (value.hex) json["value"] = *value.hex;
  if (value.error) json["valueError"] = ToJson(*value.error);
}

}  // namespace

Json ToJson(const ErrorInfo& error) {
  return {{"number", error.number}, {"source", error.source}, {"description", error.description}};
}

Json ToJson(const DeviceInfo& info) {
  return {{"programId", info.programId},
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
          {"items", ItemsJson(info.items)}};
}

Json ToJson(const ConfigInfo& info) {
  return {{"programId", info.programId}, {"xmlFilename", info.xmlFilename}, {"isValid", info.isValid},
          {"level", info.level},         {"data", info.data},               {"items", ItemsJson(info.items)}};
}

Json ToJson(const Node& node) {
  Json objects = Json::array();
  for (const LonMarkObject& object : node.objects) {
    objects.push_back({{"index", object.index},
                       {"type", object.type},
                       {"name", object.name},
                       {"description", object.description},
                       {"configurationProperties", object.cpKeys},
                       {"networkVariables", object.nvIndexes}});
  }
  Json cps = Json::array();
  for (const ConfigurationProperty& cp : node.configurationProperties) {
    Json entry = {{"key", cp.key},
                  {"name", cp.name},
                  {"elementCount", cp.elementCount},
                  {"elementSize", cp.elementSize},
                  {"standardType", cp.standardType},
                  {"cpType", cp.cpType},
                  {"lmObjectId", cp.lmObjectId},
                  {"selectData", cp.selectData}};
    PutValue(entry, cp.value);
    cps.push_back(std::move(entry));
  }
  Json nvs = Json::array();
  for (const NetworkVariable& nv : node.networkVariables) {
    Json entry = {{"index", nv.index},
                  {"name", nv.name},
                  {"length", nv.length},
                  {"nvType", nv.nvType},
                  {"configuration", nv.configuration},
                  {"comment", nv.comment},
                  {"lmObjectId", nv.lmObjectId},
                  {"selectData", nv.selectData}};
    PutValue(entry, nv.value);
    nvs.push_back(std::move(entry));
  }
  return {{"uniqueNodeNum", node.uniqueNodeNum},
          {"programId", node.programId},
          {"selfDocumentation", node.selfDocumentation},
          {"comment", node.comment},
          {"populated", node.populated},
          {"configurationFile", node.configurationFile},
          {"objects", std::move(objects)},
          {"configurationProperties", std::move(cps)},
          {"networkVariables", std::move(nvs)}};
}

}  // namespace vemo::cli

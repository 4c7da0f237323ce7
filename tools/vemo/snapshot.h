#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vemosupport/IVemoProgIDConfigInfo.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/ICorvelNodeOffline.h"
#include "vemosupport/types.h"

namespace vemo::cli {

// What the command shows, read once from the library's objects and then printed as
// text or JSON.

struct ErrorInfo {
  std::int32_t number = 0;
  std::string source;
  std::string description;
};

struct Item {
  std::string name;
  std::string value;
};

struct DeviceInfo {
  std::string programId, xmlFilename, deviceCode, deviceType, deviceTypeEx, manufacturer, pluginVersion,
      firmwareVersion, selfDoc;
  bool isValid = false, has472Plugin = false, isHostBased = false, isNeuronBased = false, isHybridBased = false,
       supportsFlash = false, supportsOfflineEdit = false;
  std::int32_t imgBlockSize = 0;
  std::vector<Item> items;
};

struct ConfigInfo {
  std::string programId;  // without the leading "P" the record answers
  std::string xmlFilename, data;
  bool isValid = false;
  std::int16_t level = 0;
  std::vector<Item> items;
};

// A value as upper-case hexadecimal, or the error its reading raised; for a point of a
// standard type also the value those bytes stand for, or why they stand for none.
struct Value {
  std::optional<std::string> hex;
  std::optional<ErrorInfo> error;
  std::optional<std::string> typeName;
  std::optional<vemo::Value> decoded;
  std::optional<std::string> decodeError;
  friend bool operator==(const Value& a, const Value& b) {
    return a.hex == b.hex && a.error.has_value() == b.error.has_value() &&
           (!a.error || (a.error->number == b.error->number && a.error->description == b.error->description));
  }
};

struct ConfigurationProperty {
  std::int32_t key = 0;    // the key text of the node's collection, as a number
  std::int32_t index = 0;  // orders the CPs in the configuration data block
  std::optional<std::int32_t> blockOffset;
  std::string name;
  std::int16_t elementCount = 0, elementSize = 0, cpType = 0;
  bool standardType = false;
  std::int32_t lmObjectId = 0;
  std::string selectData;
  Value value;
};

struct NetworkVariable {
  std::int16_t index = 0, length = 0, nvType = 0;
  std::string name, selfDoc, selectData;
  std::string section;  // the catalogue section: "NCIs", "NVIs" or "NVOs"
  std::optional<std::int32_t> blockOffset;  // a configuration NV's place in the block
  std::int32_t lmObjectId = 0;
  Value value;
};

struct LonMarkObject {
  std::int16_t index = 0, type = 0;
  std::string name, description;
  std::vector<std::int32_t> cpKeys;
  std::vector<std::int16_t> nvIndexes;
};

struct Node {
  std::string uniqueNodeNum, programId, selfDoc, comment, configurationFile;
  bool populated = false;
  std::vector<LonMarkObject> objects;
  std::vector<ConfigurationProperty> configurationProperties;
  std::vector<NetworkVariable> networkVariables;
};

DeviceInfo ReadDeviceInfo(const IVemoProgIDInfo& record);
ConfigInfo ReadConfigInfo(const IVemoProgIDConfigInfo& record);
// `node` answers I709Node and ICorvelNodeOffline, as every virtual node does.
Node ReadNode(I709Node& node, bool populated);

std::string Hex(const std::vector<std::uint8_t>& bytes);
// "output" for an NV of the NVOs section, "input" for the others.
const char* Direction(const NetworkVariable& nv);

}  // namespace vemo::cli

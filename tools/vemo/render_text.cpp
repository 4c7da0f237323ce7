#include <algorithm>
#include <iomanip>
#include <set>

#include "catalogue_listing.h"
#include "errors.h"
#include "render.h"

namespace vemo::cli {

namespace {

const char* YesNo(bool value) { return value ? "yes" : "no"; }

// "0A 0B 0C"; for a point of a standard type "21.50 °C  [08 66]"; or the error that
// reading the value raised.
std::string ValueText(const Value& value) {
  if (value.error) return "(error " + std::to_string(value.error->number) + ": " + value.error->description + ")";
  std::string spaced;
  for (std::size_t i = 0; i < value.hex->size(); i += 2) {
    if (i) spaced += ' ';
    spaced += value.hex->substr(i, 2);
  }
  if (spaced.empty()) spaced = "(empty)";
  if (value.decoded) return Printable(Format(*value.decoded)) + "  [" + spaced + "]";
  if (value.decodeError) return spaced + "  (not decoded: " + Printable(*value.decodeError) + ")";
  return spaced;
}

// " SNVT_temp_p" for a point of a standard type, else nothing.
std::string TypeName(const Value& value) { return value.typeName ? " " + *value.typeName : std::string(); }

void PrintItems(std::ostream& out, const std::vector<Item>& items) {
  out << "Items (" << items.size() << "):\n";
  std::size_t width = 0;
  for (const Item& item : items) width = std::max(width, item.name.size());
  for (const Item& item : items) out << "  " << std::left << std::setw(static_cast<int>(width)) << item.name << "  " << item.value << "\n";
}

void PrintField(std::ostream& out, const char* name, const std::string& value) {
  out << "  " << std::left << std::setw(20) << name << value << "\n";
}

void PrintCP(std::ostream& out, const ConfigurationProperty& cp, const char* indent) {
  out << indent << "CP " << cp.key << "  " << cp.name << "  index " << cp.index << "  size " << cp.elementSize << "  type " << cp.cpType
      << (cp.standardType ? " (standard)" : "") << TypeName(cp.value)
      << (cp.blockOffset ? "  offset " + std::to_string(*cp.blockOffset) : "") << "  value " << ValueText(cp.value) << "\n";
}

void PrintNV(std::ostream& out, const NetworkVariable& nv, const char* indent) {
  out << indent << "NV " << nv.index << "  " << nv.name << "  length " << nv.length << "  type " << nv.nvType
      << TypeName(nv.value) << "  " << nv.section << " (" << Direction(nv) << ")" << (nv.blockOffset ? "  offset " + std::to_string(*nv.blockOffset) : "")
      << "  value " << ValueText(nv.value) << "\n";
}

void PrintDevice(std::ostream& out, const char* side, const ListedDevice& device) {
  out << side << "  " << device.programId << "  " << device.deviceCode << "  " << device.deviceType << "  ("
      << device.manufacturer << ")  " << device.xmlFilename << "\n";
}

std::string Fields(const std::vector<std::string>& fields) {
  std::string text;
  for (const std::string& field : fields) text += (text.empty() ? "" : ", ") + field;
  return text;
}

template <class T, class PrintFn>
void PrintChanges(std::ostream& out, const char* what, const std::vector<Change<T>>& changes, PrintFn print) {
  for (const Change<T>& change : changes) {
    out << what << " " << change.key;
    if (!change.a) out << "  only in B";
    if (!change.b) out << "  only in A";
    if (!change.fields.empty()) out << "  differs in " << Fields(change.fields);
    out << "\n";
    if (change.a) print(out, *change.a, "  A: ");
    if (change.b) print(out, *change.b, "  B: ");
  }
}

void PrintObject(std::ostream& out, const LonMarkObject& object, const char* indent) {
  out << indent << "[" << object.index << "] " << object.name << " (" << object.description << ")  type "
      << object.type << "  " << object.cpKeys.size() << " CPs, " << object.nvIndexes.size() << " NVs\n";
}

}  // namespace

void PrintText(std::ostream& out, const DeviceInfo& info) {
  out << "Device " << info.programId << (info.isValid ? "" : "  (incomplete entry)") << "\n";
  PrintField(out, "Catalogue file", info.xmlFilename);
  PrintField(out, "Device code", info.deviceCode);
  PrintField(out, "Device type", info.deviceType);
  PrintField(out, "Device type (ext.)", info.deviceTypeEx);
  PrintField(out, "Manufacturer", info.manufacturer);
  PrintField(out, "Plug-in version", info.pluginVersion);
  PrintField(out, "Firmware version", info.firmwareVersion);
  PrintField(out, "Self-documentation", info.selfDoc);
  PrintField(out, "Image block size", std::to_string(info.imgBlockSize));
  PrintField(out, "Neuron based", YesNo(info.isNeuronBased));
  PrintField(out, "Host based", YesNo(info.isHostBased));
  PrintField(out, "Hybrid based", YesNo(info.isHybridBased));
  PrintField(out, "Supports flash", YesNo(info.supportsFlash));
  PrintField(out, "Has 472 plug-in", YesNo(info.has472Plugin));
  PrintField(out, "Offline editing", YesNo(info.supportsOfflineEdit));
  PrintItems(out, info.items);
}

void PrintText(std::ostream& out, const ConfigInfo& info) {
  out << "Configuration of " << info.programId << (info.isValid ? "" : "  (incomplete entry)") << "\n";
  PrintField(out, "Catalogue file", info.xmlFilename);
  PrintField(out, "Level", std::to_string(info.level));
  PrintField(out, "Data", info.data);
  PrintItems(out, info.items);
}

void PrintText(std::ostream& out, const Node& node) {
  out << "Node " << node.uniqueNodeNum << "  program ID " << node.programId << "\n";
  if (!node.comment.empty()) PrintField(out, "Comment", node.comment);
  PrintField(out, "Configuration data", node.populated ? "yes" : "no");
  PrintField(out, "Configuration file", node.configurationFile.empty() ? "(none)" : node.configurationFile);

  std::set<std::int32_t> filedCPs;
  std::set<std::int16_t> filedNVs;
  for (const LonMarkObject& object : node.objects) {
    out << "+- [" << object.index << "] " << object.name;
    if (object.description != object.name) out << " (" << object.description << ")";
    out << "  type " << object.type << "\n";
    for (std::int32_t key : object.cpKeys) {
      filedCPs.insert(key);
      auto cp = std::find_if(node.configurationProperties.begin(), node.configurationProperties.end(),
                             [key](const ConfigurationProperty& c) { return c.key == key; });
      if (cp != node.configurationProperties.end()) PrintCP(out, *cp, "|    ");
    }
    for (std::int16_t index : object.nvIndexes) {
      filedNVs.insert(index);
      auto nv = std::find_if(node.networkVariables.begin(), node.networkVariables.end(),
                             [index](const NetworkVariable& n) { return n.index == index; });
      if (nv != node.networkVariables.end()) PrintNV(out, *nv, "|    ");
    }
  }
  bool header = false;
  auto printHeader = [&] {
    if (!header) out << "+- (in no LonMark object)\n";
    header = true;
  };
  for (const ConfigurationProperty& cp : node.configurationProperties) {
    if (filedCPs.count(cp.key)) continue;
    printHeader();
    PrintCP(out, cp, "     ");
  }
  for (const NetworkVariable& nv : node.networkVariables) {
    if (filedNVs.count(nv.index)) continue;
    printHeader();
    PrintNV(out, nv, "     ");
  }
}

void PrintText(std::ostream& out, const Listing& listing) {
  out << "Catalogue folder " << listing.folder << "  (" << listing.devices.size() << " devices, in lookup order)\n";
  std::size_t widths[4] = {10, 4, 4, 12};
  for (const ListedDevice& device : listing.devices) {
    widths[0] = std::max(widths[0], device.programId.size());
    widths[1] = std::max(widths[1], device.deviceCode.size());
    widths[2] = std::max(widths[2], device.deviceType.size());
    widths[3] = std::max(widths[3], device.manufacturer.size());
  }
  auto row = [&](const std::string& id, const std::string& code, const std::string& type, const std::string& maker,
                 const std::string& file) {
    out << std::left << std::setw(static_cast<int>(widths[0])) << id << "  " << std::setw(static_cast<int>(widths[1]))
        << code << "  " << std::setw(static_cast<int>(widths[2])) << type << "  "
        << std::setw(static_cast<int>(widths[3])) << maker << "  " << file << "\n";
  };
  row("PROGRAM ID", "CODE", "TYPE", "MANUFACTURER", "FILE");
  for (const ListedDevice& device : listing.devices) {
    row(device.programId, device.deviceCode, device.deviceType, device.manufacturer,
        FileName(device.xmlFilename, listing.folder));
  }
  for (const UnreadableFile& file : listing.unreadableFiles) {
    out << "Unreadable: " << FileName(file.xmlFilename, listing.folder) << ": " << file.description << "\n";
  }
}

void PrintText(std::ostream& out, const Diff& diff) {
  PrintDevice(out, "A", diff.a);
  PrintDevice(out, "B", diff.b);
  if (diff.Identical()) {
    out << "The interfaces are the same (objects, CPs, NVs and their default values).\n";
    return;
  }
  PrintChanges(out, "Object", diff.objects, PrintObject);
  PrintChanges(out, "CP", diff.configurationProperties, PrintCP);
  PrintChanges(out, "NV", diff.networkVariables, PrintNV);
}

}  // namespace vemo::cli

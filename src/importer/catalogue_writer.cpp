#include "importer/catalogue_writer.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>

#include "importer/configuration_file.h"
#include "importer/device_points.h"
#include "importer/safe_text.h"
#include "importer/self_documentation.h"
#include "platform/text.h"

namespace vemo::importer {

namespace {

using Kind = ImportNote::Kind;

void Note(std::vector<ImportNote>& notes, Kind kind, const std::string& subject, std::string text) {
  notes.push_back(ImportNote{kind, subject, std::move(text)});
}

bool IsProgramId(const std::string& text) {
  return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
         });
}

// The file's name without the folders in front of it.
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writes the XML of one entry, replacing what XML cannot carry and noting it.
class XmlWriter {
 public:
  explicit XmlWriter(std::vector<ImportNote>& notes) : notes_(notes) {}

  std::string Text(const std::string& text, const std::string& subject) {
    bool replaced = false;
    const std::string valid = ValidText(text, replaced);
    if (replaced) {
      Note(notes_, Kind::kLoss, subject,
           "holds bytes that are not valid UTF-8 or characters XML cannot carry: each is written as U+FFFD");
    }
    return XmlEscape(valid);
  }
  std::string Element(const std::string& name, const std::string& text, const std::string& subject) {
    return "<" + name + ">" + Text(text, subject) + "</" + name + ">";
  }

  // Comment text: no "--" and no "-" at its end (a comment cannot hold them).
  static std::string Comment(const std::string& text) {
    bool replaced = false;
    std::string valid = ValidText(text, replaced);
    for (std::size_t at = valid.find("--"); at != std::string::npos; at = valid.find("--", at)) valid.insert(at + 1, " ");
    if (!valid.empty() && valid.back() == '-') valid += ' ';
    return valid;
  }

 private:
  std::vector<ImportNote>& notes_;
};

struct DevInfo {
  std::string deviceCode, deviceType, deviceTypeEx, manufacturer, pluginRev, firmRev;
};

// Derives the DevInfo values the file does not state, with a note on each.
DevInfo DeriveDevInfo(const XifDevice& device, const NodeSelfDoc& node, std::vector<ImportNote>& notes) {
  DevInfo info;
  const std::string name = device.declaredName.empty() ? BaseName(device.fileName) : device.declaredName;
  info.deviceCode = DeviceCodeFor(device.programId);
  Note(notes, Kind::kDerived, "DevInfo DeviceCode",
       "\"" + info.deviceCode + "\": the program ID's 16 hexadecimal digits hashed with 32-bit FNV-1a, xor-folded "
       "to 20 bits and written in 4 characters of the RFC 4648 base-32 alphabet (a XIF has no device code)");
  const std::string comment = TrimSpaces(node.comment);
  info.deviceType = comment.empty() ? name : comment;
  Note(notes, Kind::kDerived, "DevInfo DeviceType",
       comment.empty() ? "the file's declared name, since the node self-documentation has no description"
                       : "the description of the node self-documentation (after its first \";\")");
  info.deviceTypeEx = name;
  Note(notes, Kind::kDerived, "DevInfo DeviceTypeEx", "the file's declared name \"" + name + "\"");
  // Program ID formats 8 and 9 carry the LonMark manufacturer ID in the 20 bits after the
  // format digit.
  const char format = device.programId.front();
  if (format == '8' || format == '9') {
    info.manufacturer = "LonMark manufacturer ID " + std::to_string(std::stoul(device.programId.substr(1, 5), nullptr, 16));
    Note(notes, Kind::kDerived, "DevInfo Manufacturer",
         "from the manufacturer field of the program ID (format " + std::string(1, format) + ")");
  } else {
    info.manufacturer = "unknown";
    Note(notes, Kind::kDerived, "DevInfo Manufacturer",
         "\"unknown\": program ID format " + std::string(1, format) + " has no manufacturer field");
  }
  Note(notes, Kind::kDerived, "DevInfo PluginRev", "empty: the entry names no plug-in (Has472Plugin is \"No\")");
  Note(notes, Kind::kDerived, "DevInfo FirmRev", "empty: a XIF does not state the firmware revision");
  return info;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) text += {kDigits[byte >> 4], kDigits[byte & 0x0F]};
  return text;
}

std::string NvElementXml(const NvPoint& nv, char prefix, XmlWriter& xml) {
  const std::string subject = NvSubject(nv.index, nv.name);
  std::string text = "      <NV Index=\"" + std::string(1, prefix) + std::to_string(nv.index) + "\" Size=\"" +
                     std::to_string(nv.size) + "\" NVType=\"" + std::to_string(nv.nvType) + "\">" +
                     xml.Element("Name", nv.name, subject) + xml.Element("SelfDoc", nv.selfDoc, subject);
  // A configuration NV shows the device's value even without the configuration file.
  if (nv.config && nv.hasValue) text += "<Default>" + Hex(nv.value) + "</Default>";
  return text + "</NV>\n";
}

std::string NvSectionXml(const std::string& section, char prefix, const DevicePoints& points,
                         bool (*member)(const NvPoint&), XmlWriter& xml) {
  std::string text = "    <" + section + ">\n";
  for (const NvPoint& nv : points.nvs) {
    if (member(nv)) text += NvElementXml(nv, prefix, xml);
  }
  return text + "    </" + section + ">\n";
}

std::string EntryXml(const XifDevice& device, const NodeSelfDoc& node, const DevInfo& info,
                     const DevicePoints& points, std::vector<ImportNote>& notes) {
  XmlWriter xml(notes);
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--\n  " +
                     XmlWriter::Comment(info.deviceTypeEx) + ": written by the vemo importer from the device "
                     "interface file " + XmlWriter::Comment(BaseName(device.fileName)) + "\n  (XIF version " +
                     XmlWriter::Comment(device.xifVersion) + ", generated by " + XmlWriter::Comment(device.generator) +
                     ").\n"
                     "  A XIF does not state ImgBlockSize, IsHostBased, IsHybridBased, IsNeuronBased, SupportsFlash,\n"
                     "  Has472Plugin or SupportsOffline: they are the importer's fixed choices for a Neuron-based\n"
                     "  device without plug-in whose configuration can be edited offline. DeviceCode, DeviceType,\n"
                     "  DeviceTypeEx and Manufacturer are derived from the file, PluginRev and FirmRev left empty.\n"
                     "  The configuration data block: the CP values in ascending CP Index, then the configuration\n"
                     "  NVs in ascending NV index, then one spare byte.\n-->\n"
                     "<C5Devices>\n"
                     "  <C5Device ProgramID=\"P" + device.programId + "\" ImgBlockSize=\"0\" IsHostBased=\"No\" "
                     "IsHybridBased=\"No\" IsNeuronBased=\"Yes\" SupportsFlash=\"No\" Has472Plugin=\"No\" "
                     "SupportsOffline=\"Yes\">\n"
                     "    <DevInfo>\n";
  const std::tuple<const char*, const std::string&> devInfo[] = {
      {"DeviceCode", info.deviceCode},     {"DeviceType", info.deviceType}, {"DeviceTypeEx", info.deviceTypeEx},
      {"Manufacturer", info.manufacturer}, {"PluginRev", info.pluginRev},   {"FirmRev", info.firmRev},
      {"SelfDoc", node.text}};
  for (const auto& [name, value] : devInfo) {
    const std::string subject = std::string(name) == "SelfDoc" ? "node self-documentation" : "DevInfo " + std::string(name);
    text += "      " + xml.Element(name, value, subject) + "\n";
  }
  // Where the entry came from; population does not read these.
  if (!device.xifVersion.empty()) text += "      " + xml.Element("XifVersion", device.xifVersion, "XIF version") + "\n";
  if (!device.generator.empty()) text += "      " + xml.Element("Generator", device.generator, "XIF generator") + "\n";
  text += "    </DevInfo>\n    <CPs>\n";
  for (const CpPoint& cp : points.cps) {
    text += "      <CP Index=\"#" + std::to_string(cp.key) + "\" Size=\"" + std::to_string(cp.size) + "\">" +
            xml.Element("Name", cp.definition, cp.subject) + "</CP>\n";
  }
  text += "    </CPs>\n";
  text += NvSectionXml("NCIs", 'N', points, [](const NvPoint& nv) { return nv.config; }, xml);
  text += NvSectionXml("NVIs", 'I', points, [](const NvPoint& nv) { return !nv.config && !nv.output; }, xml);
  text += NvSectionXml("NVOs", 'O', points, [](const NvPoint& nv) { return !nv.config && nv.output; }, xml);
  return text + "  </C5Device>\n</C5Devices>\n";
}

// The same note can come from every element of an array; it is kept once, in its place.
void DropRepeatedNotes(std::vector<ImportNote>& notes) {
  std::set<std::tuple<Kind, std::string, std::string>> seen;
  std::erase_if(notes, [&](const ImportNote& note) { return !seen.emplace(note.kind, note.subject, note.text).second; });
}

}  // namespace

std::string DeviceCodeFor(const std::string& programId) {
  std::uint32_t hash = 2166136261u;
  for (const char c : programId) {
    hash ^= static_cast<std::uint8_t>(c);
    hash *= 16777619u;
  }
  const std::uint32_t folded = (hash >> 20) ^ (hash & 0xFFFFFu);
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
  std::string code;
  for (int shift = 15; shift >= 0; shift -= 5) code += kAlphabet[(folded >> shift) & 0x1Fu];
  return code;
}

ImportedDevice WriteCatalogue(const XifDevice& device) {
  if (!IsProgramId(device.programId)) {
    throw DeviceInterfaceError(device.fileName, 0,
                               "program ID \"" + device.programId + "\" is not 16 upper-case hexadecimal digits");
  }
  ImportedDevice result;
  result.sourceFile = device.fileName;
  result.programId = device.programId;
  std::vector<ImportNote>& notes = result.notes;
  const NodeSelfDoc node = WriteNodeSelfDoc(device, notes);
  const DevInfo info = DeriveDevInfo(device, node, notes);
  const DevicePoints points = CollectPoints(device, node, notes);
  result.deviceCode = info.deviceCode;
  result.catalogueEntry = EntryXml(device, node, info, points, notes);
  const ConfigurationFile file = WriteConfigurationFile(device.programId, points, BaseName(device.fileName));
  result.configurationFile = file.text;
  result.configurationBytes = file.bytes;
  result.functionalBlocks = node.blocks;
  result.networkVariables = points.nvs.size();
  result.configurationProperties = points.cps.size();
  DropRepeatedNotes(notes);
  return result;
}

}  // namespace vemo::importer

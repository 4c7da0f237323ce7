#include "importer/catalogue_writer.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>

#include "importer/configuration_file.h"
#include "importer/device_points.h"
#include "importer/entry_limits.h"
#include "importer/safe_text.h"
#include "importer/self_documentation.h"
#include "platform/text.h"
#include "support/catalogue_names.h"

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

// Writes the XML of one entry, replacing what XML cannot carry and noting it once a
// subject (the elements of an NV array share their declaration's texts).
class XmlWriter {
 public:
  explicit XmlWriter(std::vector<ImportNote>& notes) : notes_(notes) {}

  // Appends the element `name` holding `text` to `xml`.
  void Element(std::string& xml, std::string_view name, const std::string& text, const std::string& subject) {
    xml += '<';
    xml += name;
    xml += '>';
    if (AppendXmlText(xml, text) && noted_.insert(subject).second) {
      Note(notes_, Kind::kLoss, subject,
           "holds bytes that are not valid UTF-8 or characters XML cannot carry: each is written as U+FFFD");
    }
    xml += "</";
    xml += name;
    xml += '>';
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
  std::set<std::string> noted_;
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

void AppendNvXml(std::string& text, const NvPoint& nv, char prefix, XmlWriter& xml) {
  const std::string subject = NvSubject(nv.declaration->index, nv.declaration->name);
  text += "      <NV Index=\"" + std::string(1, prefix) + std::to_string(nv.index) + "\" Size=\"" +
          std::to_string(nv.size) + "\" NVType=\"" + std::to_string(nv.nvType) + "\">";
  xml.Element(text, "Name", nv.name, subject);
  xml.Element(text, "SelfDoc", EntrySelfDoc(nv), subject);
  // A configuration NV shows the device's value even without the configuration file.
  if (nv.config && nv.hasValue) text += "<Default>" + Hex(nv.value) + "</Default>";
  text += "</NV>\n";
}

void AppendNvSectionXml(std::string& text, const std::string& section, char prefix, const DevicePoints& points,
                        bool (*member)(const NvPoint&), XmlWriter& xml) {
  text += "    <" + section + ">\n";
  for (const NvPoint& nv : points.nvs) {
    if (member(nv)) AppendNvXml(text, nv, prefix, xml);
  }
  text += "    </" + section + ">\n";
}

// The header comment's texts, as EntryXml writes them.
std::string HeaderComment(const XifDevice& device, const DevInfo& info) {
  return XmlWriter::Comment(info.deviceTypeEx) + ": written by the vemo importer from the device interface file " +
         XmlWriter::Comment(BaseName(device.fileName)) + "\n  (XIF version " + XmlWriter::Comment(device.xifVersion) +
         ", generated by " + XmlWriter::Comment(device.generator) + ").\n";
}

// Counts the entry's header and DevInfo against the limits, before the points are made.
void CountDevInfo(const XifDevice& device, const DevInfo& info, EntryBudget& budget) {
  const std::size_t comment = MeasureText(info.deviceTypeEx).valid + MeasureText(BaseName(device.fileName)).valid +
                              MeasureText(device.xifVersion).valid + MeasureText(device.generator).valid;
  budget.Text(comment, 0, "the header comment naming the device, its file and its generator");
  // The fixed text of the header comment, the root and C5Device tags and the DevInfo tags.
  budget.Add(comment + 1200, 0, "the header comment");
  const std::tuple<const char*, const std::string&> texts[] = {
      {"DeviceType", info.deviceType}, {"DeviceTypeEx", info.deviceTypeEx}, {"Manufacturer", info.manufacturer},
      {"XifVersion", device.xifVersion}, {"Generator", device.generator}};
  for (const auto& [name, value] : texts) {
    const TextBytes bytes = MeasureText(value);
    budget.Text(bytes.valid, 0, std::string("DevInfo ") + name);
    budget.Add(bytes.escaped, 0, std::string("DevInfo ") + name);
  }
}

std::string EntryXml(const XifDevice& device, const NodeSelfDoc& node, const DevInfo& info,
                     const DevicePoints& points, std::size_t expectedBytes, std::vector<ImportNote>& notes) {
  XmlWriter xml(notes);
  std::string text;
  text.reserve(expectedBytes);
  text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--\n  " + HeaderComment(device, info) +
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
      {names::kDeviceCode, info.deviceCode},     {names::kDeviceType, info.deviceType},
      {names::kDeviceTypeEx, info.deviceTypeEx}, {names::kManufacturer, info.manufacturer},
      {names::kPluginRev, info.pluginRev},       {names::kFirmRev, info.firmRev},
      {names::kSelfDoc, node.text}};
  const auto line = [&](const char* name, const std::string& value, const std::string& subject) {
    text += "      ";
    xml.Element(text, name, value, subject);
    text += '\n';
  };
  for (const auto& [name, value] : devInfo) {
    line(name, value, name == names::kSelfDoc ? "node self-documentation" : "DevInfo " + std::string(name));
  }
  // Where the entry came from; population does not read these.
  if (!device.xifVersion.empty()) line("XifVersion", device.xifVersion, "XIF version");
  if (!device.generator.empty()) line("Generator", device.generator, "XIF generator");
  text += "    </DevInfo>\n    <CPs>\n";
  for (const CpPoint& cp : points.cps) {
    // A definition is digits and separators only: nothing to escape.
    text += "      <CP Index=\"#" + std::to_string(cp.key) + "\" Size=\"" +
            std::to_string(device.cpTemplates[static_cast<std::size_t>(cp.record)].size) + "\"><Name>";
    text += CpDefinition(device, cp);
    text += "</Name></CP>\n";
  }
  text += "    </CPs>\n";
  AppendNvSectionXml(text, names::kConfigNvSection, 'N', points, [](const NvPoint& nv) { return nv.config; }, xml);
  AppendNvSectionXml(text, names::kInputNvSection, 'I', points, [](const NvPoint& nv) { return !nv.config && !nv.output; }, xml);
  AppendNvSectionXml(text, names::kOutputNvSection, 'O', points, [](const NvPoint& nv) { return !nv.config && nv.output; }, xml);
  text += "  </C5Device>\n</C5Devices>\n";
  return text;
}

// The same note can come twice (two declarations of one name at one index): it is kept
// once, in its first place.
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
  // Each part is counted against the library's limits before it is made.
  EntryBudget budget(device.fileName);
  const NodeSelfDoc node = WriteNodeSelfDoc(device, notes, budget);
  const DevInfo info = DeriveDevInfo(device, node, notes);
  CountDevInfo(device, info, budget);
  const DevicePoints points = CollectPoints(device, node, notes, budget);
  result.deviceCode = info.deviceCode;
  result.catalogueEntry = EntryXml(device, node, info, points, budget.total() + budget.total() / 8, notes);
  if (result.catalogueEntry.size() > kMaxEntryBytes) {
    throw DeviceInterfaceError(device.fileName, 0,
                               "the catalogue entry would take " + std::to_string(result.catalogueEntry.size()) +
                                   " bytes, more than the " + std::to_string(kMaxEntryBytes) +
                                   " bytes (16 MiB) a catalogue file may hold");
  }
  ConfigurationFile file = WriteConfigurationFile(device, points, BaseName(device.fileName));
  if (file.text.size() > kMaxConfigurationFileBytes) {
    throw DeviceInterfaceError(device.fileName, 0,
                               "the configuration file would take " + std::to_string(file.text.size()) +
                                   " bytes, more than the " + std::to_string(kMaxConfigurationFileBytes) +
                                   " bytes (16 MiB) the configuration-file reader reads");
  }
  result.configurationFile = std::move(file.text);
  result.configurationBytes = file.bytes;
  result.functionalBlocks = node.blocks;
  result.networkVariables = points.nvs.size();
  result.configurationProperties = points.cps.size();
  DropRepeatedNotes(notes);
  return result;
}

}  // namespace vemo::importer

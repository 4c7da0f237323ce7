// Checking a catalogue folder: every file and entry as a lookup reads it, and every
// entry's data points as a population files them.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <map>
#include <set>

#include "catalogue/catalogue_scan.h"
#include "catalogue/catalogue_search.h"
#include "catalogue/catalogue_values.h"
#include "node/C472VirtualNode.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "points/C472VirtualCPCol.h"
#include "points/C472VirtualNVCol.h"
#include "services/kiv_file_reader.h"
#include "progid/cProgIDInfo.h"
#include "progid/item_list.h"
#include "support/catalogue_names.h"
#include "support/standard_types.h"
#include "support/xml_loading.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/catalogue.h"
#include "vemosupport/enumerator.h"

namespace vemo {

namespace {

// The problem kinds; docs/json.md lists them for users.
constexpr const char* kUnreadableFile = "unreadable-file";
constexpr const char* kDuplicateProgramId = "duplicate-program-id";
constexpr const char* kDuplicateDeviceCode = "duplicate-device-code";
constexpr const char* kMissingDevInfo = "missing-devinfo";
constexpr const char* kInvalidRecord = "invalid-record";
constexpr const char* kNvSize = "nv-size";
constexpr const char* kCpSize = "cp-size";
constexpr const char* kMessageBox = "message-box";
constexpr const char* kDiscardedPoint = "discarded-point";
constexpr const char* kUnfiledPoint = "unfiled-point";
constexpr const char* kDuplicateNvIndex = "duplicate-nv-index";
constexpr const char* kDuplicateCpKey = "duplicate-cp-key";
constexpr const char* kPopulationError = "population-error";
constexpr const char* kEntryError = "entry-error";
constexpr const char* kConfigurationFile = "configuration-file";

// A message box's text on one line: lines trimmed, blank ones dropped, joined by a
// blank after a line that ends a sentence or a label, else by "; ".
std::string OneLine(const std::string& text) {
  std::string joined;
  for (const std::string& raw : SplitText(text, '\n')) {
    const std::string line = TrimSpaces(raw);
    if (line.empty()) continue;
    if (!joined.empty()) joined += joined.back() == '.' || joined.back() == ':' ? " " : "; ";
    joined += line;
  }
  return joined;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

template <std::size_t N>
std::vector<std::string> Names(const char* const (&names)[N]) {
  return {std::begin(names), std::end(names)};
}

std::string List(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return text;
}

// The child nodes of `section` that population hands to a builder, in document order.
std::vector<platform::XmlNode> MemberElements(const platform::XmlNode& section, const std::string& name) {
  std::vector<platform::XmlNode> members;
  if (!section) return members;
  for (platform::XmlNode child = section.firstChild(); child; child = child.nextSibling()) {
    if (child.nodeType() == platform::XmlNodeType::Element && child.baseName() == name) members.push_back(child);
  }
  return members;
}

// One device entry met by the scan.
struct Entry {
  std::size_t file = 0;      // position of its file in the scan
  std::size_t position = 0;  // among its file's entries, from 0
  platform::XmlNode device;
  std::optional<std::string> programIdAttribute;
  std::shared_ptr<cProgIDInfo> record;  // none without "DevInfo"
  std::vector<CatalogueProblem> problems;
  bool failed = false;  // reading or checking it raised an error: not checked further
};

// Where a point sits, for a description: "CP #4 (key 104)", "NV 12 nviZoneSetpt".
std::string CpLabel(const platform::XmlNode& element, const C472VirtualCP* cp) {
  const std::string index = element.getAttribute("Index").value_or("");
  return "CP " + (index.empty() ? std::string("without Index") : Quoted(index)) +
         (cp ? " (key " + std::to_string(cp->Key()) + ")" : "");
}

std::string NvLabel(const platform::XmlNode& element, const std::string& section) {
  const platform::XmlNode name = element.selectSingleNode("Name");
  const std::string index = element.getAttribute("Index").value_or("");
  return "NV " + (index.empty() ? std::string("without Index") : Quoted(index)) +
         (name ? " " + name.text() : std::string()) + " in " + section;
}

class CatalogueChecker {
 public:
  explicit CatalogueChecker(std::string folder) : folder_(std::move(folder)) {}

  CatalogueCheck Run() {
    ScanCatalogue(folder_, [&](const ScannedCatalogueFile& file) {
      files_.push_back(file);
      fileProblems_.emplace_back();
      for (std::size_t i = 0; i < file.devices.size(); ++i) entries_.push_back(ReadEntry(files_.size() - 1, i));
    });
    for (std::size_t i = 0; i < files_.size(); ++i) {
      if (files_[i].error) AddFileProblem(i, kUnreadableFile, UnreadableReport(files_[i]));
    }
    CheckProgramIds();
    CheckDeviceCodes();
    for (Entry& entry : entries_) {
      Guarded(entry, [&] {
        CheckRecord(entry);
        CheckPoints(entry);
      });
    }
    return Result();
  }

 private:
  Entry ReadEntry(std::size_t file, std::size_t position) {
    Entry entry;
    entry.file = file;
    entry.position = position;
    entry.device = files_[file].devices[position];
    entry.programIdAttribute = entry.device.getAttribute(names::kProgramId);
    if (entry.device.selectSingleNode(names::kDevInfo)) {
      Guarded(entry, [&] {
        auto record = std::make_shared<cProgIDInfo>();
        record->LoadDeviceEntry(entry.device, files_[file].path);
        entry.record = std::move(record);
      });
    }
    return entry;
  }

  // Runs one step of an entry's check. An entry whose record or node raises an error is
  // one problem of its file, and the other entries are still checked.
  template <class Step>
  void Guarded(Entry& entry, Step step) {
    if (entry.failed) return;
    try {
      step();
    } catch (const AutomationError& error) {
      entry.failed = true;
      AddProblem(entry, kEntryError,
                 "Checking the entry raises error " + std::to_string(error.number()) + " (" + error.description() +
                     "): a host using this entry meets the same error. Its remaining checks are not made.");
    }
  }

  // The file's name inside the folder, and the entry's place when the file has several.
  std::string Where(const Entry& entry) const {
    const std::string& path = files_[entry.file].path;
    std::string where = path.starts_with(folder_) ? path.substr(folder_.size()) : path;
    if (files_[entry.file].devices.size() > 1) where += " (entry " + std::to_string(entry.position + 1) + ")";
    return where;
  }

  std::string ProgramId(const Entry& entry) const {
    return entry.record ? entry.record->ProgramID() : WithoutFirstCharacter(entry.programIdAttribute.value_or(""));
  }

  void AddFileProblem(std::size_t file, const char* kind, const std::string& description) {
    fileProblems_[file].push_back({files_[file].path, "", kind, description});
  }

  void AddProblem(Entry& entry, const char* kind, const std::string& description) {
    entry.problems.push_back({files_[entry.file].path, ProgramId(entry), kind, description});
  }

  // The lookup's own "XML Parsing Error" report of the file.
  static std::string UnreadableReport(const ScannedCatalogueFile& file) {
    const platform::MessageCapture capture;
    ReportParseError(file.path, *file.error);
    const std::string report = capture.Messages().empty() ? file.error->reason : capture.Messages().front().text;
    return "A lookup shows this report and skips the file: " + OneLine(report);
  }

  // The entry a lookup's element is, or nothing when it is none of the scanned entries
  // (a device element nested deeper than below the root).
  Entry* EntryOf(const CatalogueMatch& match) {
    const platform::XmlNode root = match.element.parentNode();
    if (!root || root.parentNode() || match.element.baseName() != names::kDevice || !match.element.inNoNamespace()) {
      return nullptr;
    }
    std::size_t position = 0;
    for (platform::XmlNode sibling = root.firstChild(); sibling && !(sibling == match.element);
         sibling = sibling.nextSibling()) {
      if (sibling.nodeType() == platform::XmlNodeType::Element && sibling.baseName() == names::kDevice &&
          sibling.inNoNamespace()) {
        ++position;
      }
    }
    for (Entry& entry : entries_) {
      if (files_[entry.file].path == match.file && entry.position == position) return &entry;
    }
    return nullptr;
  }

  Entry* ProgramIdWinner(const std::string& programId) {
    auto [at, added] = programIdWinners_.try_emplace(programId, nullptr);
    if (added) {
      const platform::MessageCapture capture;
      at->second = EntryOf(SearchByProgramID(folder_, programId));
    }
    return at->second;
  }

  Entry* DeviceCodeWinner(const std::string& code) {
    auto [at, added] = deviceCodeWinners_.try_emplace(code, nullptr);
    if (added) {
      const platform::MessageCapture capture;
      at->second = EntryOf(SearchByDeviceCode(folder_, code));
    }
    return at->second;
  }

  // The 4-character device code a lookup can find the entry by, or empty.
  static std::string DeviceCode(const Entry& entry) {
    return entry.record && CharacterCount(entry.record->DeviceCode()) == 4 ? entry.record->DeviceCode() : "";
  }

  // A program ID defined more than once: each definition that no lookup returns, by
  // program ID or by device code, is dead.
  void CheckProgramIds() {
    std::map<std::string, std::vector<Entry*>> byId;
    for (Entry& entry : entries_) {
      const std::string& attribute = entry.programIdAttribute.value_or("");
      if (attribute.starts_with("P")) byId[attribute.substr(1)].push_back(&entry);
    }
    for (const auto& [programId, group] : byId) {
      if (group.size() < 2) continue;
      Entry* winner = ProgramIdWinner(programId);
      for (Entry* entry : group) {
        if (entry == winner) continue;
        const std::string code = DeviceCode(*entry);
        if (!code.empty() && DeviceCodeWinner(code) == entry) continue;
        const std::string answer = winner ? "a lookup by program ID returns the one in " + Where(*winner)
                                          : "no lookup by program ID returns any of them";
        AddProblem(*entry, kDuplicateProgramId,
                   "Program ID " + programId + " is defined " + std::to_string(group.size()) + " times; " + answer +
                       (code.empty() ? "" : ", a lookup by device code " + code + " returns another entry") +
                       ", so this entry is never used. Remove it or give it a program ID of its own.");
      }
    }
  }

  // A device code shared by different devices: a lookup by the code finds only one.
  void CheckDeviceCodes() {
    std::map<std::string, std::vector<Entry*>> byCode;
    for (Entry& entry : entries_) {
      if (!DeviceCode(entry).empty()) byCode[DeviceCode(entry)].push_back(&entry);
    }
    for (const auto& [code, group] : byCode) {
      if (group.size() < 2) continue;
      Entry* winner = DeviceCodeWinner(code);
      for (Entry* entry : group) {
        if (entry == winner || (winner && ProgramId(*winner) == ProgramId(*entry))) continue;
        const std::string answer = winner ? "a lookup by " + code + " returns program ID " + ProgramId(*winner) +
                                                " in " + Where(*winner)
                                          : "a lookup by " + code + " returns none of them";
        AddProblem(*entry, kDuplicateDeviceCode,
                   "Device code " + code + " is also the code of another device; " + answer +
                       ", so this device is found by its program ID only. Give it a device code of its own.");
      }
    }
  }

  void CheckRecord(Entry& entry) {
    if (!entry.record) {
      AddProblem(entry, kMissingDevInfo,
                 "The entry has no DevInfo element: a lookup of it fails with error 91 and gives no record, so no "
                 "node can be made from it. Add a DevInfo element with " + List(Names(names::kDevInfoValues)) + ".");
      return;
    }
    const std::string attribute = entry.programIdAttribute.value_or("");
    if (entry.programIdAttribute && !attribute.starts_with("P")) {
      AddProblem(entry, kInvalidRecord,
                 "Its ProgramID " + Quoted(attribute) + " does not start with \"P\": no lookup by program ID finds "
                 "it, and a node made from it gets no data points. Write \"P\" and the 16-character program ID.");
    }
    if (entry.record->IsValid()) return;
    std::map<std::string, int> counts;
    for (const platform::XmlAttribute& item : entry.device.attributes()) ++counts[item.baseName];
    const platform::XmlNode devInfo = entry.device.selectSingleNode(names::kDevInfo);
    std::set<std::string> valued;
    for (const NamedValue& item : ValuedChildElements(devInfo)) {
      ++counts[item.name];
      valued.insert(item.name);
    }
    std::vector<std::string> missing, repeated, unread;
    auto tally = [&](const char* name, bool inDevInfo) {
      const int count = counts[name];
      if (count > 1) repeated.push_back(std::string(name) + " (" + std::to_string(count) + " times)");
      if (count > 0) return;
      // An element whose content starts with CDATA, a comment or an element is not read.
      const bool present = inDevInfo && devInfo.selectSingleNode(name);
      (present ? unread : missing).push_back(name);
    };
    for (const char* name : names::kDeviceAttributes) tally(name, false);
    for (const char* name : names::kDevInfoValues) tally(name, true);
    std::vector<std::string> parts;
    if (!missing.empty()) parts.push_back("it lacks " + List(missing));
    if (!unread.empty()) parts.push_back(List(unread) + " cannot be read (the content must start with plain text)");
    if (!repeated.empty()) parts.push_back("it repeats " + List(repeated));
    AddProblem(entry, kInvalidRecord,
               "The record's IsValid is false: " + List(parts) + ". A valid entry has each of the attributes " +
                   List(Names(names::kDeviceAttributes)) +
                   " and each of the DevInfo elements " +
                   List(Names(names::kDevInfoValues)) + " exactly once.");
  }

  // True when population of the entry's record reads this very element: the first entry
  // of its file whose ProgramID is "P" and the record's program ID.
  bool PopulationReads(const Entry& entry) const {
    if (!entry.record || entry.record->ProgramID().find('"') != std::string::npos) return false;
    const std::string wanted = "P" + entry.record->ProgramID();
    for (const platform::XmlNode& device : files_[entry.file].devices) {
      if (device.getAttribute(names::kProgramId) == wanted) return device == entry.device;
    }
    return false;
  }

  // The data points population builds and where it files them, element by element.
  void CheckPoints(Entry& entry) {
    std::shared_ptr<C472VirtualNode> node;
    if (PopulationReads(entry)) node = Populate(entry);
    std::set<const Object*> filed;
    std::shared_ptr<C472VirtualCPCol> nodeCps;
    std::shared_ptr<C472VirtualNVCol> nodeNvs;
    std::int16_t objects = 0;
    if (node) {
      objects = node->ObjectCount();
      for (std::int16_t i = 0; i < objects; ++i) {
        std::string name;
        std::int16_t type = 0;
        std::int32_t resource = 0;
        const auto object = std::dynamic_pointer_cast<I709LMObject>(node->GetObject(i, name, type, resource).AsObject());
        if (!object) continue;
        if (const auto cps = object->ConfigurationProperties()) {
          for (const auto& cp : Members<Object>(cps->NewEnum())) filed.insert(cp.get());
        }
        if (const auto nvs = object->NetworkVariables()) {
          for (const auto& nv : Members<Object>(nvs->NewEnum())) filed.insert(nv.get());
        }
      }
      nodeCps = std::dynamic_pointer_cast<C472VirtualCPCol>(node->ConfigurationProperties());
      nodeNvs = std::dynamic_pointer_cast<C472VirtualNVCol>(node->NetworkVariables());
    }
    const auto unfiled = [&](const Object* point, std::int32_t lmObjectId, std::int16_t appliesTo,
                             const std::string& select, const std::string& label) {
      if (!node || !point || filed.contains(point)) return;
      const std::string why =
          objects == 0 ? "the node has no LonMark objects at all, not even the device object: the device's "
                         "self-documentation string (DevInfo SelfDoc) must start with \"&\" and hold an \"@\" object list"
          : appliesTo >= 2 ? "it belongs to the LonMark object of NV " + select +
                                 ", which the node does not have or whose own object was not known yet"
                           : "it belongs to LonMark object " + std::to_string(lmObjectId) +
                                 ", which the node does not have (its objects are -1, the device object, to " +
                                 std::to_string(objects - 2) + ", from the self-documentation object list)";
      AddProblem(entry, kUnfiledPoint,
                 label + " is in no LonMark object: " + why +
                     ". Correct its applies-to or select text, or the device's self-documentation string.");
    };

    const platform::XmlNode cpSection = entry.device.selectSingleNode(names::kCpSection);
    std::map<std::int32_t, std::string> keys;
    for (const platform::XmlNode& element : MemberElements(cpSection, names::kCp)) {
      PointRejection why;
      const std::shared_ptr<C472VirtualCP> cp = std::make_shared<C472VirtualCPCol>()->AddCP(element, &why);
      const std::string label = CpLabel(element, cp.get());
      if (!cp) {
        AddProblem(entry, kDiscardedPoint, label + " is discarded by population: " + Describe(why) + ".");
        continue;
      }
      CheckCpSize(entry, *cp, label);
      const auto [at, added] = keys.try_emplace(cp->Key(), label);
      if (!added) {
        AddProblem(entry, kDuplicateCpKey,
                   label + " has the key of " + at->second + ": population files only the first. Give it a key of "
                   "its own (the first field of its Name).");
        continue;
      }
      if (nodeCps) {
        const auto held = std::dynamic_pointer_cast<C472VirtualCP>(nodeCps->Item(Variant(cp->Key())));
        if (held) unfiled(held.get(), held->LMObjectID(), held->AppliesTo(), held->SelectData(), label);
      }
    }

    std::map<std::int16_t, std::string> indexes;
    for (const char* section : {names::kConfigNvSection, names::kInputNvSection, names::kOutputNvSection}) {
      const bool isConfig = section == names::kConfigNvSection;
      for (const platform::XmlNode& element : MemberElements(entry.device.selectSingleNode(section), names::kNv)) {
        const std::string label = NvLabel(element, section);
        std::shared_ptr<C472VirtualNV> nv;
        PointRejection why;
        {
          const platform::MessageCapture scratchMessages;  // population reports them itself
          nv = std::make_shared<C472VirtualNVCol>()->AddNV(element, isConfig, &why);
        }
        if (!nv) {
          AddProblem(entry, kDiscardedPoint, label + " is discarded by population: " + Describe(why) + ".");
          continue;
        }
        CheckNvSize(entry, *nv, element, label);
        const auto [at, added] = indexes.try_emplace(nv->Index(), label);
        if (!added) {
          AddProblem(entry, kDuplicateNvIndex,
                     label + " has the index " + std::to_string(nv->Index()) + " of " + at->second +
                         ": population files only the first. Give it an index of its own.");
          continue;
        }
        if (nodeNvs) {
          const std::shared_ptr<C472VirtualNV> held = nodeNvs->Find(std::to_string(nv->Index()));
          if (held) unfiled(held.get(), held->LMObjectID(), held->AppliesTo(), held->SelectData(), label);
        }
      }
    }
    for (const platform::MessageCapture::Message& message : messages_) {
      const std::string text = OneLine(message.text);
      AddProblem(entry, kMessageBox,
                 "Population shows an \"" + message.title + "\" message box: " + text +
                     (text.ends_with('.') ? " " : ". ") + "The NV is kept as a point of the device object. Start the SelfDoc of a configuration NV "
                     "with \"&\" or \"~\", of any other NV with \"@\" or \"$\".");
    }
    messages_.clear();
    if (node) CheckValues(entry, *node);
  }

  // Populates a node of the entry's record without a configuration file; its message
  // boxes are kept for the entry's problems.
  // The defaults read in their standard types; then the entry's configuration file,
  // <program ID>.kiv in the folder, when there is one: it must be the entry's and fit its
  // block, and its values are read as the defaults are.
  void CheckValues(Entry& entry, C472VirtualNode& node) {
    const std::vector<ValueFinding> defaults = CheckNodeValues(node, "default");
    for (const ValueFinding& finding : defaults) AddProblem(entry, finding.kind, finding.description);
    const std::string programId = entry.record->ProgramID();
    const std::string path = folder_ + programId + ".kiv";
    std::error_code error;
    if (node.ConfigData()->DataSize() == 0 || !std::filesystem::is_regular_file(path, error)) return;
    std::vector<std::uint8_t> block = node.ConfigData()->Bytes().bytes;
    const services::ConfigurationFileStatus status = services::ReadConfigurationFile(path, programId, block);
    if (status != services::ConfigurationFileStatus::kRead) {
      AddProblem(entry, kConfigurationFile,
                 "Its configuration file " + Quoted(programId + ".kiv") + " " + DescribeConfigurationFileStatus(status, block.size()) +
                     ": a node populated from it gets no configuration data. Write it again, e.g. with "
                     "vemo node --write-config.");
      return;
    }
    if (const std::shared_ptr<C472VirtualNode> configured = Populate(entry, path)) {
      for (const ValueFinding& finding : CheckNodeValues(*configured, "value in the configuration file")) {
        // A file that keeps a default the check already named says nothing new.
        const bool named = std::any_of(defaults.begin(), defaults.end(), [&](const ValueFinding& other) {
          return std::string_view(other.kind) == finding.kind && other.point == finding.point && other.value == finding.value;
        });
        if (!named) AddProblem(entry, finding.kind, finding.description);
      }
    }
  }

  std::shared_ptr<C472VirtualNode> Populate(Entry& entry, const std::string& configurationFile = "") {
    auto node = std::make_shared<C472VirtualNode>();
    node->InitNode(entry.record, "FFFF00000000");
    const platform::MessageCapture capture;
    try {
      node->PopulateDevice(configurationFile);
    } catch (const std::exception& error) {
      AddProblem(entry, kPopulationError,
                 std::string("Population of a node fails: ") + error.what() + ". Make the entry's data points smaller.");
      return nullptr;
    }
    messages_ = capture.Messages();
    return node;
  }

  void CheckCpSize(Entry& entry, const C472VirtualCP& cp, const std::string& label) {
    if (!cp.StandardType()) return;
    const StandardType* type = FindScpt(cp.CPType());
    if (!type || type->inherits || type->size <= 0 || type->size == cp.ElementSize()) return;
    AddProblem(entry, kCpSize,
               label + " has Size " + std::to_string(cp.ElementSize()) + ", but its standard type " + type->name +
                   " (" + std::to_string(type->index) + ") is " + std::to_string(type->size) +
                   " bytes. Set Size to " + std::to_string(type->size) + " or name the CP type that fits.");
  }

  void CheckNvSize(Entry& entry, const C472VirtualNV& nv, const platform::XmlNode& element, const std::string& label) {
    const StandardType* type = FindSnvt(nv.NVType());
    if (!type || type->size <= 0 || type->size == nv.Length()) return;
    const bool hasDefault = static_cast<bool>(element.selectSingleNode("Default"));
    AddProblem(entry, kNvSize,
               label + " has Size " + std::to_string(nv.Length()) + ", but NVType " + std::to_string(type->index) +
                   " is " + type->name + " of " + std::to_string(type->size) + " bytes. Set Size to " +
                   std::to_string(type->size) +
                   (hasDefault ? " and give its Default " + std::to_string(2 * type->size) + " hexadecimal digits"
                               : std::string()) +
                   ", or use the NVType that fits.");
  }

  CatalogueCheck Result() {
    CatalogueCheck check;
    check.files = files_.size();
    check.entries = entries_.size();
    std::size_t next = 0;
    for (std::size_t file = 0; file < files_.size(); ++file) {
      for (CatalogueProblem& problem : fileProblems_[file]) check.problems.push_back(std::move(problem));
      for (; next < entries_.size() && entries_[next].file == file; ++next) {
        for (CatalogueProblem& problem : entries_[next].problems) check.problems.push_back(std::move(problem));
      }
    }
    return check;
  }

  std::string folder_;
  std::vector<ScannedCatalogueFile> files_;
  std::vector<std::vector<CatalogueProblem>> fileProblems_;
  std::vector<Entry> entries_;
  std::map<std::string, Entry*> programIdWinners_, deviceCodeWinners_;
  std::vector<platform::MessageCapture::Message> messages_;
};

}  // namespace

CatalogueCheck CheckCatalogue(const std::string& folder) {
  // No message box reaches the host while the folder is checked.
  const platform::MessageCapture capture;
  return CatalogueChecker(folder.empty() || folder.back() == '/' ? folder : folder + "/").Run();
}

}  // namespace vemo

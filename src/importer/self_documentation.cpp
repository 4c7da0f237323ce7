#include "importer/self_documentation.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>

#include "platform/text.h"
#include "support/lm_object_types.h"

namespace vemo::importer {

namespace {

// The node self-documentation of a device without LonMark blocks.
constexpr const char* kEmptyObjectList = "&3.4@";

constexpr const char* kNodeSubject = "node self-documentation";
// More numbers than any device has points: a select or block array beyond this is not
// read as one.
constexpr int kMostNumbers = 4096;
// Block positions are 16-bit numbers in the object model.
constexpr std::size_t kMostBlocks = 32767;

void Note(std::vector<ImportNote>& notes, ImportNote::Kind kind, const std::string& subject, std::string text) {
  notes.push_back(ImportNote{kind, subject, std::move(text)});
}

// A plain decimal number without sign or blanks ("012" included), or nothing.
std::optional<int> PlainNumber(std::string_view text) {
  int value = 0;
  if (text.empty() || text.size() > 6) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.front() == '-') return std::nullopt;
  return value;
}

std::string JoinNumbers(const std::set<int>& numbers) {
  std::string text;
  for (int number : numbers) text += (text.empty() ? "" : ", ") + std::to_string(number);
  return text;
}

std::string Join(const std::vector<std::string>& pieces, char separator) {
  std::string text;
  for (std::size_t i = 0; i < pieces.size(); ++i) text += (i ? std::string(1, separator) : "") + pieces[i];
  return text;
}

// Whether a select is a range "a-b" or "a~b".
bool IsRange(const std::string& select) { return select.find_first_of("-~") != std::string::npos; }

// The block a point of this reference ends up in once written: -1 for the device object.
// Header-2 references are followed through the NVs they name, at most `depth` deep.
int FinalBlock(const Reference& reference, const NvReferences& nvs, int depth) {
  const std::set<int> numbers(reference.numbers.begin(), reference.numbers.end());
  if (reference.header == 1) return numbers.size() == 1 ? *numbers.begin() : -1;
  if (reference.header != 2 || depth == 0) return -1;
  std::set<int> blocks;
  for (int nv : numbers) {
    const auto target = nvs.find(nv);
    if (target != nvs.end()) blocks.insert(FinalBlock(target->second, nvs, depth - 1));
  }
  return blocks.size() == 1 ? *blocks.begin() : -1;
}

}  // namespace

NodeSelfDoc WriteNodeSelfDoc(const XifDevice& device, std::vector<ImportNote>& notes) {
  NodeSelfDoc node;
  const std::string& text = device.nodeSelfDoc;
  if (!device.hasNodeSelfDoc || text.empty()) {
    // An empty object list still gives the device object, where points without a block go.
    node.text = kEmptyObjectList;
    Note(notes, ImportNote::Kind::kRewrite, kNodeSubject,
         std::string("the file has none: written as \"") + kEmptyObjectList +
             "\", an empty object list; the entry has no functional blocks, only the device object");
    return node;
  }
  node.text = text;
  const std::size_t semicolon = text.find(';');
  const std::string head = text.substr(0, semicolon);
  if (semicolon != std::string::npos) node.comment = text.substr(semicolon + 1);
  const std::size_t at = head.find('@');
  if (text.front() != '&' || at == std::string::npos) {
    // Kept as the node's comment, behind an empty object list that gives the device object.
    node.text = std::string(kEmptyObjectList) + ";" + text;
    Note(notes, ImportNote::Kind::kLoss, kNodeSubject,
         "\"" + text + "\" is not a LonMark object list (\"&\", a version, \"@\" and the blocks): written as \"" +
             node.text + "\", so the entry has no functional blocks, only the device object, and keeps the text "
             "as the node's comment");
    return node;
  }
  // Population reads the list between the first and a second "@"; the rest stays as it is.
  const std::size_t listEnd = head.find('@', at + 1);
  const std::string list = head.substr(at + 1, listEnd == std::string::npos ? std::string::npos : listEnd - at - 1);
  std::vector<std::string> items;
  bool changed = false;
  for (const std::string& item : SplitText(list, ',')) {
    const std::string trimmed = TrimSpaces(item);
    const std::size_t bracket = trimmed.find('[');
    if (bracket == std::string::npos) {
      items.push_back(item);
      continue;
    }
    // "<profile>[<count><name>", also seen with a closing "]" after the name.
    const std::string profile = trimmed.substr(0, bracket);
    std::size_t nameStart = bracket + 1;
    while (nameStart < trimmed.size() && trimmed[nameStart] >= '0' && trimmed[nameStart] <= '9') ++nameStart;
    const std::optional<int> count = PlainNumber(std::string_view(trimmed).substr(bracket + 1, nameStart - bracket - 1));
    std::string name = trimmed.substr(nameStart);
    if (!name.empty() && name.back() == ']') name.pop_back();
    name = TrimSpaces(name);
    if (!PlainNumber(profile) || !count || *count > kMostNumbers || items.size() + *count > kMostBlocks) {
      Note(notes, ImportNote::Kind::kLoss, kNodeSubject,
           "item \"" + trimmed + "\" is not a functional-block array this importer can read: kept as written, "
           "which population reads as one block");
      items.push_back(item);
      continue;
    }
    // A block without a name is named after its profile, as population names it; a name
    // starting with a digit is set off by a blank so that it does not lengthen the profile.
    if (name.empty()) {
      const int type = *PlainNumber(profile);
      const std::string description = type <= 32767 ? GetLMObjectTypeDesc(static_cast<std::int16_t>(type)) : "";
      if (!description.empty() && description.front() > '9') name = description;
    } else if (name.front() >= '0' && name.front() <= '9') {
      name = " " + name;
    }
    const std::size_t first = items.size();
    for (int i = 0; i < *count; ++i) items.push_back(profile + name + "[" + std::to_string(i) + "]");
    changed = true;
    Note(notes, ImportNote::Kind::kRewrite, kNodeSubject,
         "functional-block array \"" + trimmed + "\" written as " + std::to_string(*count) + " blocks of profile " +
             profile + " at indexes " + std::to_string(first) + " to " + std::to_string(items.size() - 1) +
             " (population reads one block per item)");
  }
  node.lonMark = true;
  node.blocks = items.size();
  if (changed) {
    node.text = head.substr(0, at + 1) + Join(items, ',') +
                (listEnd == std::string::npos ? "" : head.substr(listEnd)) +
                (semicolon == std::string::npos ? "" : text.substr(semicolon));
  }
  return node;
}

std::vector<int> SelectNumbers(const std::string& select) {
  const std::string text = TrimSpaces(select);
  if (const auto single = PlainNumber(text)) return {*single};
  std::vector<int> numbers;
  const std::size_t dash = text.find_first_of("-~");
  if (dash != std::string::npos) {
    const auto from = PlainNumber(std::string_view(text).substr(0, dash));
    const auto to = PlainNumber(std::string_view(text).substr(dash + 1));
    if (!from || !to || *to < *from || *to - *from >= kMostNumbers) return {};
    for (int number = *from; number <= *to; ++number) numbers.push_back(number);
    return numbers;
  }
  for (const std::string& piece : SplitText(text, '.')) {
    const auto number = PlainNumber(piece);
    if (!number || numbers.size() >= kMostNumbers) return {};
    numbers.push_back(*number);
  }
  return numbers;
}

Reference ElementReference(int header, const std::string& select, int element, int elements) {
  Reference reference{header, SelectNumbers(select), false, false};
  if (PlainNumber(select)) {
    reference.asWritten = reference.direct = true;
  } else if (elements > 1 && IsRange(select) && reference.numbers.size() == static_cast<std::size_t>(elements)) {
    reference.numbers = {reference.numbers[static_cast<std::size_t>(element)]};
    reference.direct = true;
  }
  return reference;
}

Filing FileReference(const Reference& reference, const NvReferences& nvs, const NodeSelfDoc& node,
                     const std::string& subject, std::vector<ImportNote>& notes) {
  const std::set<int> numbers(reference.numbers.begin(), reference.numbers.end());
  const auto inBlock = [&](int block, bool keep) {
    if (block < 0) return Filing{0, 0, false};
    if (node.lonMark && static_cast<std::size_t>(block) >= node.blocks) {
      Note(notes, ImportNote::Kind::kLoss, subject,
           "names functional block " + std::to_string(block) + ", which the node self-documentation does not "
           "declare: it is in no LonMark object");
    }
    return Filing{1, block, keep};
  };
  const auto withDevice = [&](const std::string& why) {
    Note(notes, ImportNote::Kind::kLoss, subject, why + ": filed with the device object");
    return Filing{0, 0, false};
  };
  switch (reference.header) {
    case 0:
      return Filing{0, 0, true};
    case 1:
      if (numbers.size() == 1) return inBlock(*numbers.begin(), reference.asWritten);
      if (numbers.empty()) return withDevice("names no functional block population can read");
      return withDevice("shared by functional blocks " + JoinNumbers(numbers) +
                        " (a point can be in one LonMark object only)");
    case 2: {
      if (numbers.size() == 1 && reference.direct) {
        const auto target = nvs.find(*numbers.begin());
        // The NV's object is known when it is loaded unless it is itself linked through another NV.
        if (target != nvs.end() && target->second.header != 2) return Filing{2, *numbers.begin(), reference.asWritten};
      }
      std::set<int> blocks;
      for (int nv : numbers) {
        const auto target = nvs.find(nv);
        if (target != nvs.end()) blocks.insert(FinalBlock(target->second, nvs, 16));
      }
      if (blocks.empty()) return withDevice("names no NV the device declares");
      if (blocks.size() > 1) {
        return withDevice("shared by NVs " + JoinNumbers(numbers) + " of functional blocks " + JoinNumbers(blocks) +
                          " (a point can be in one LonMark object only; -1 is the device object)");
      }
      const int block = *blocks.begin();
      Note(notes, ImportNote::Kind::kRewrite, subject,
           "names NVs " + JoinNumbers(numbers) + ", which all lie in " +
               (block < 0 ? std::string("the device object") : "functional block " + std::to_string(block)) +
               ": written as applying to " + (block < 0 ? std::string("the device") : "that block"));
      return inBlock(block, false);
    }
    default:
      return withDevice("applies-to header " + std::to_string(reference.header) + " is not one of 0 (device), "
                        "1 (functional block) and 2 (NV)");
  }
}

NvSelfDoc ReadNvSelfDoc(const XifNv& nv, int element, const std::string& subject, std::vector<ImportNote>& notes) {
  const std::string& text = nv.selfDoc;
  const bool has = nv.hasSelfDoc && !text.empty();
  const std::string first = has ? text.substr(1, text.find(';') - 1) : std::string();
  const auto freeText = [&](const std::string& written, const std::string& what) {
    if (element == 0) {
      Note(notes, ImportNote::Kind::kRewrite, subject,
           (has ? "free-text self-documentation \"" + text + "\"" : std::string("no self-documentation")) +
               " written as \"" + written + "\": population files it with the device object, without a message box" +
               what);
    }
    return NvSelfDoc{written, Reference{0, {}, true, true}};
  };
  if (nv.config) {
    const std::vector<std::string> fields = SplitText(first, ',');
    const bool lead = has && (text.front() == '&' || text.front() == '~');
    const std::optional<int> header = fields.empty() ? std::nullopt : PlainNumber(TrimSpaces(fields[0]));
    if (!lead || fields.size() < 2 || !header) {
      return freeText(has ? "&0,0;" + text : "&0,0", "");
    }
    return NvSelfDoc{text, ElementReference(*header, fields[1], element, nv.elementCount())};
  }
  const bool lead = has && (text.front() == '@' || text.front() == '$');
  const std::string blockText = first.substr(0, first.find_first_of("|#"));
  const std::string member = first.substr(blockText.size());
  if (lead && blockText == "-1") return NvSelfDoc{text, Reference{0, {}, true, true}};
  // An element of an NV array that serves a block array: "@<first block>[<count>|<member>".
  const std::size_t bracket = blockText.find('[');
  if (lead && bracket != std::string::npos && nv.arrayCount > 0) {
    const auto block = PlainNumber(blockText.substr(0, bracket));
    if (block && !member.empty()) {
      const std::string written = text.substr(0, 1) + std::to_string(*block + element) + member +
                                  text.substr(1 + first.size());
      if (element == 0) {
        Note(notes, ImportNote::Kind::kRewrite, subject,
             "NV array self-documentation \"" + text + "\" names blocks " + std::to_string(*block) + " onwards: element "
             "i is written as member of block " + std::to_string(*block) + " + i");
      }
      return NvSelfDoc{written, Reference{1, {*block + element}, true, true}};
    }
  }
  const auto block = PlainNumber(blockText);
  if (!lead || !block) return freeText(has ? "@-1;" + text : "@-1", "");
  return NvSelfDoc{text, Reference{1, {*block}, true, true}};
}

std::string WriteConfigNvSelfDoc(const std::string& text, const Filing& filing) {
  if (filing.keep) return text;
  const std::size_t semicolon = text.find(';');
  std::vector<std::string> fields = SplitText(text.substr(1, semicolon == std::string::npos ? std::string::npos
                                                                                             : semicolon - 1),
                                              ',');
  fields.resize(std::max<std::size_t>(fields.size(), 2));
  fields[0] = std::to_string(filing.appliesTo);
  fields[1] = std::to_string(filing.select);
  return text.substr(0, 1) + Join(fields, ',') + (semicolon == std::string::npos ? "" : text.substr(semicolon));
}

}  // namespace vemo::importer

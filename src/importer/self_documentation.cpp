#include "importer/self_documentation.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>

#include "importer/safe_text.h"
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
// A note lists this many numbers at most, then says how many there are.
constexpr std::size_t kNumbersShown = 40;

// A plain decimal number without sign or blanks ("012" included), or nothing.
std::optional<int> PlainNumber(std::string_view text) {
  int value = 0;
  if (text.empty() || text.size() > 6) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.front() == '-') return std::nullopt;
  return value;
}

// "1, 2, 3", or for a long list its first and last numbers and how many there are.
std::string JoinNumbers(const std::set<int>& numbers) {
  std::string text;
  std::size_t shown = 0;
  for (auto at = numbers.begin(); at != numbers.end(); ++at, ++shown) {
    if (numbers.size() > kNumbersShown && shown == kNumbersShown - 2) {
      text += ", ..., " + std::to_string(*numbers.rbegin()) + " (" + std::to_string(numbers.size()) + " in all)";
      break;
    }
    text += (text.empty() ? "" : ", ") + std::to_string(*at);
  }
  return text;
}

std::string Join(const std::vector<std::string>& pieces, char separator) {
  std::string text;
  for (std::size_t i = 0; i < pieces.size(); ++i) text += (i ? std::string(1, separator) : "") + pieces[i];
  return text;
}

// Whether a select is a range "a-b" or "a~b".
bool IsRange(const std::string& select) { return select.find_first_of("-~") != std::string::npos; }

std::shared_ptr<const std::vector<int>> Numbers(std::vector<int> numbers) {
  return std::make_shared<const std::vector<int>>(std::move(numbers));
}

// The reference's numbers, none when it has no list.
const std::vector<int>& NumbersOf(const Reference& reference) {
  static const std::vector<int> kNone;
  return reference.numbers ? *reference.numbers : kNone;
}

[[noreturn]] void TooManyBlocks(const XifDevice& device, std::size_t blocks) {
  throw DeviceInterfaceError(device.fileName, 0,
                             "the node self-documentation declares " + std::to_string(blocks) +
                                 " functional blocks or more, past the " + std::to_string(kMaxFunctionalBlocks) +
                                 " a node holds beside the device object (its object count is a 16-bit number)");
}

}  // namespace

NodeSelfDoc WriteNodeSelfDoc(const XifDevice& device, std::vector<ImportNote>& notes, EntryBudget& budget) {
  NodeSelfDoc node;
  const std::string& text = device.nodeSelfDoc;
  if (!device.hasNodeSelfDoc || text.empty()) {
    // An empty object list still gives the device object, where points without a block go.
    node.text = kEmptyObjectList;
    notes.push_back({ImportNote::Kind::kRewrite, kNodeSubject,
                     std::string("the file has none: written as \"") + kEmptyObjectList +
                         "\", an empty object list; the entry has no functional blocks, only the device object"});
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
    notes.push_back({ImportNote::Kind::kLoss, kNodeSubject,
                     "\"" + text + "\" is not a LonMark object list (\"&\", a version, \"@\" and the blocks): "
                     "written as \"" + node.text + "\", so the entry has no functional blocks, only the device "
                     "object, and keeps the text as the node's comment"});
    return node;
  }
  // Population reads the list between the first and a second "@"; the rest stays as it is.
  const std::size_t listEnd = head.find('@', at + 1);
  const std::string list = head.substr(at + 1, listEnd == std::string::npos ? std::string::npos : listEnd - at - 1);
  // The object list as written: items as they are, arrays expanded.
  std::string written = head.substr(0, at + 1);
  std::size_t blocks = 0;
  const auto item = [&](std::string_view text) {
    if (++blocks > kMaxFunctionalBlocks) TooManyBlocks(device, blocks);
    if (blocks > 1) written += ',';
    written += text;
  };
  bool changed = false;
  std::size_t counted = 0;       // bytes of the expanded arrays already in the budget
  std::size_t expandedText = 0;  // and in the text, once valid
  for (const std::string& listed : SplitText(list, ',')) {
    const std::string trimmed = TrimSpaces(listed);
    const std::size_t bracket = trimmed.find('[');
    if (bracket == std::string::npos) {
      item(listed);
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
    if (!PlainNumber(profile) || !count || *count > kMostNumbers) {
      notes.push_back({ImportNote::Kind::kLoss, kNodeSubject,
                       "item \"" + trimmed + "\" is not a functional-block array this importer can read: kept as "
                       "written, which population reads as one block"});
      item(listed);
      continue;
    }
    if (blocks + static_cast<std::size_t>(*count) > kMaxFunctionalBlocks) {
      TooManyBlocks(device, blocks + static_cast<std::size_t>(*count));
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
    // Each item: profile, name, "[i]" and a comma.
    const TextBytes nameBytes = MeasureText(name);
    const std::size_t elements = static_cast<std::size_t>(*count);
    const std::size_t numbers = 3 * elements + Digits(0, *count - 1);
    const std::string what = "functional-block array \"" + trimmed.substr(0, 40) + "\" of the node self-documentation";
    expandedText += (profile.size() + nameBytes.valid) * elements + numbers;
    budget.Text(expandedText, 0, what);
    budget.Add((profile.size() + nameBytes.escaped) * elements + numbers, 0, what);
    counted += (profile.size() + nameBytes.escaped) * elements + numbers;
    const std::size_t first = blocks;
    for (int i = 0; i < *count; ++i) item(profile + name + "[" + std::to_string(i) + "]");
    changed = true;
    notes.push_back({ImportNote::Kind::kRewrite, kNodeSubject,
                     "functional-block array \"" + trimmed + "\" written as " + std::to_string(*count) +
                         " blocks of profile " + profile + " at indexes " + std::to_string(first) + " to " +
                         std::to_string(blocks - 1) + " (population reads one block per item)"});
  }
  node.blocks = blocks;
  if (changed) {
    if (listEnd != std::string::npos) written += std::string_view(head).substr(listEnd);
    if (semicolon != std::string::npos) written += std::string_view(text).substr(semicolon);
    node.text = std::move(written);
  }
  const TextBytes bytes = MeasureText(node.text);
  budget.Add(bytes.escaped > counted ? bytes.escaped - counted : 0, 0, "the node self-documentation");
  budget.Text(bytes.valid, 0, "the node self-documentation");
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

ElementReferences::ElementReferences(int header, const std::string& select, int elements) {
  whole_ = Reference{header, Numbers(SelectNumbers(select)), false, false};
  if (PlainNumber(select)) {
    whole_.asWritten = whole_.direct = true;
  } else {
    perElement_ = elements > 1 && IsRange(select) && whole_.numbers->size() == static_cast<std::size_t>(elements);
  }
}

Reference ElementReferences::At(int element) const {
  if (!perElement_) return whole_;
  return Reference{whole_.header, Numbers({(*whole_.numbers)[static_cast<std::size_t>(element)]}), false, true};
}

int Filer::FinalBlock(const Reference& reference, int depth) {
  const std::vector<int>& numbers = NumbersOf(reference);
  const bool one = !numbers.empty() && std::all_of(numbers.begin(), numbers.end(), [&](int n) { return n == numbers[0]; });
  if (reference.header == 1) return one ? numbers[0] : -1;
  if (reference.header != 2 || depth == 0) return -1;
  const auto key = std::make_tuple(static_cast<const void*>(reference.numbers.get()), reference.header, depth);
  if (const auto known = finalBlocks_.find(key); known != finalBlocks_.end()) return known->second;
  std::set<int> blocks;
  for (int nv : std::set<int>(numbers.begin(), numbers.end())) {
    const auto target = nvs_.find(nv);
    if (target != nvs_.end()) blocks.insert(FinalBlock(target->second, depth - 1));
    if (blocks.size() > 1) break;
  }
  const int block = blocks.size() == 1 ? *blocks.begin() : -1;
  finalBlocks_.emplace(key, block);
  return block;
}

Filing Filer::File(const Reference& reference, std::vector<Finding>& findings) {
  const std::vector<int>& list = NumbersOf(reference);
  const std::set<int> numbers(list.begin(), list.end());
  const auto inBlock = [&](int block, bool keep) {
    if (block < 0) return Filing{0, 0, false};
    if (static_cast<std::size_t>(block) >= node_.blocks) {
      findings.push_back({ImportNote::Kind::kLoss, "undeclared-block",
                          "names functional block " + std::to_string(block) + ", which the node self-documentation "
                          "does not declare: it is in no LonMark object"});
    }
    return Filing{1, block, keep};
  };
  const auto withDevice = [&](const char* reason, const std::string& why) {
    findings.push_back({ImportNote::Kind::kLoss, reason, why + ": filed with the device object"});
    return Filing{0, 0, false};
  };
  switch (reference.header) {
    case 0:
      return Filing{0, 0, true};
    case 1:
      if (numbers.size() == 1) return inBlock(*numbers.begin(), reference.asWritten);
      if (numbers.empty()) return withDevice("no-block", "names no functional block population can read");
      return withDevice("shared-blocks", "shared by functional blocks " + JoinNumbers(numbers) +
                                             " (a point can be in one LonMark object only)");
    case 2: {
      if (numbers.size() == 1 && reference.direct) {
        const auto target = nvs_.find(*numbers.begin());
        // The NV's object is known when it is loaded unless it is itself linked through another NV.
        if (target != nvs_.end() && target->second.header != 2) {
          const int block = FinalBlock(target->second, 1);
          if (block >= 0 && static_cast<std::size_t>(block) >= node_.blocks) {
            findings.push_back({ImportNote::Kind::kLoss, "undeclared-block",
                                "names NV " + std::to_string(*numbers.begin()) + " of functional block " +
                                    std::to_string(block) + ", which the node self-documentation does not declare: "
                                    "it is in no LonMark object"});
          }
          return Filing{2, *numbers.begin(), reference.asWritten};
        }
      }
      std::set<int> blocks;
      for (int nv : numbers) {
        const auto target = nvs_.find(nv);
        if (target != nvs_.end()) blocks.insert(FinalBlock(target->second, 16));
      }
      if (blocks.empty()) return withDevice("no-nv", "names no NV the device declares");
      if (blocks.size() > 1) {
        return withDevice("shared-nvs", "shared by NVs " + JoinNumbers(numbers) + " of functional blocks " +
                                            JoinNumbers(blocks) +
                                            " (a point can be in one LonMark object only; -1 is the device object)");
      }
      const int block = *blocks.begin();
      findings.push_back({ImportNote::Kind::kRewrite, "nvs-in-one-block",
                          "names NVs " + JoinNumbers(numbers) + ", which all lie in " +
                              (block < 0 ? std::string("the device object") : "functional block " + std::to_string(block)) +
                              ": written as applying to " + (block < 0 ? std::string("the device") : "that block")});
      return inBlock(block, false);
    }
    default:
      return withDevice("header", "applies-to header " + std::to_string(reference.header) +
                                      " is not one of 0 (device), 1 (functional block) and 2 (NV)");
  }
}

NvSelfDocs::NvSelfDocs(const XifNv& nv, const std::string& subject, std::vector<ImportNote>& notes) : nv_(nv) {
  const std::string& text = nv.selfDoc;
  const bool has = nv.hasSelfDoc && !text.empty();
  const std::string first = has ? text.substr(1, text.find(';') - 1) : std::string();
  const auto freeText = [&](const std::string& written) {
    form_ = Form::kRewritten;
    written_ = written;
    reference_ = Reference{0, nullptr, true, true};
    notes.push_back({ImportNote::Kind::kRewrite, subject,
                     (has ? "free-text self-documentation \"" + text + "\"" : std::string("no self-documentation")) +
                         " written as \"" + written + "\": population files it with the device object, without a "
                         "message box"});
  };
  if (nv.config) {
    const std::vector<std::string> fields = SplitText(first, ',');
    const bool lead = has && (text.front() == '&' || text.front() == '~');
    const std::optional<int> header = fields.empty() ? std::nullopt : PlainNumber(TrimSpaces(fields[0]));
    if (!lead || fields.size() < 2 || !header) {
      freeText(has ? "&0,0;" + text : "&0,0");
      return;
    }
    form_ = Form::kConfig;
    references_ = std::make_unique<ElementReferences>(*header, fields[1], nv.elementCount());
    return;
  }
  const bool lead = has && (text.front() == '@' || text.front() == '$');
  const std::string blockText = first.substr(0, first.find_first_of("|#"));
  const std::string member = first.substr(blockText.size());
  if (lead && blockText == "-1") {
    reference_ = Reference{0, nullptr, true, true};
    return;
  }
  // An element of an NV array that serves a block array: "@<first block>[<count>|<member>".
  const std::size_t bracket = blockText.find('[');
  if (lead && bracket != std::string::npos && nv.arrayCount > 0) {
    const auto block = PlainNumber(blockText.substr(0, bracket));
    if (block && !member.empty()) {
      form_ = Form::kBlockArray;
      firstBlock_ = *block;
      member_ = member;
      rest_ = text.substr(1 + first.size());
      notes.push_back({ImportNote::Kind::kRewrite, subject,
                       "NV array self-documentation \"" + text + "\" names blocks " + std::to_string(*block) +
                           " onwards: element i is written as member of block " + std::to_string(*block) + " + i"});
      return;
    }
  }
  const auto block = PlainNumber(blockText);
  if (!lead || !block) {
    freeText(has ? "@-1;" + text : "@-1");
    return;
  }
  reference_ = Reference{1, Numbers({*block}), true, true};
}

NvSelfDoc NvSelfDocs::Element(int element) const {
  switch (form_) {
    case Form::kRewritten:
      return NvSelfDoc{written_, reference_};
    case Form::kConfig:
      return NvSelfDoc{{}, references_->At(element)};
    case Form::kBlockArray:
      return NvSelfDoc{nv_.selfDoc.substr(0, 1) + std::to_string(firstBlock_ + element) + member_ + rest_,
                       Reference{1, Numbers({firstBlock_ + element}), true, true}};
    case Form::kAsWritten:
      break;
  }
  return NvSelfDoc{{}, reference_};
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

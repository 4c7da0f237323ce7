#include "importer/device_points.h"

#include <algorithm>
#include <string_view>

#include "importer/safe_text.h"
#include "support/standard_types.h"

namespace vemo::importer {

namespace {

using Kind = ImportNote::Kind;

// The entry's markup around one NV and one CP, without the numbers and texts in it:
//       <NV Index="N" Size="" NVType=""><Name></Name><SelfDoc></SelfDoc></NV>
//       <CP Index="#" Size=""><Name>|0|-</Name></CP>
constexpr std::size_t kNvMarkupBytes = 76;
constexpr std::size_t kCpMarkupBytes = 51;

// A size that contradicts the point's standard type is written as the file declares it;
// a check of the catalogue reports it.
std::string SizeContradiction(int size, const StandardType& type) {
  return "its size of " + std::to_string(size) + " bytes contradicts its standard type " + type.name + " (" +
         std::to_string(type.index) + ") of " + std::to_string(type.size) + " bytes: written as the file declares "
         "it, which a check of the catalogue reports";
}

// The notes of one declaration: a finding that many of its elements share (the same kind
// and reason) is one note that says how many elements it concerns, so a large array
// gives a line, never a line an element.
class ElementNotes {
 public:
  ElementNotes(std::string subject, int elements) : subject_(std::move(subject)), elements_(elements) {}

  // A note about the declaration as a whole.
  void Note(Kind kind, std::string text) { groups_.push_back({kind, nullptr, subject_, std::move(text), 0, 0, 1}); }

  // A finding about `count` elements from `element` on; `subject()` names the first
  // element of a kind of finding and is not called for the others.
  template <class Subject>
  void Add(Kind kind, const char* reason, int element, int count, const Subject& subject, const std::string& text) {
    for (Group& group : groups_) {
      if (group.reason != nullptr && group.kind == kind && std::string_view(group.reason) == reason) {
        group.first = std::min(group.first, element);
        group.last = std::max(group.last, element + count - 1);
        group.count += count;
        return;
      }
    }
    groups_.push_back({kind, reason, subject(), text, element, element + count - 1, count});
  }

  void AppendTo(std::vector<ImportNote>& notes) const {
    for (const Group& group : groups_) {
      if (group.count == 1) {
        notes.push_back({group.kind, group.subject, group.text});
        continue;
      }
      const std::string elements = group.count == elements_ ? "all " + std::to_string(elements_) + " elements"
                                                            : std::to_string(group.count) + " of its " +
                                                                  std::to_string(elements_) + " elements";
      notes.push_back({group.kind, subject_,
                       elements + " alike, from element " + std::to_string(group.first) + " to " +
                           std::to_string(group.last) + "; the first, " + group.subject + ": " + group.text});
    }
  }

 private:
  struct Group {
    Kind kind;
    const char* reason;  // none for a note about the declaration
    std::string subject, text;
    int first, last, count;
  };
  std::string subject_;
  int elements_;
  std::vector<Group> groups_;
};

// Files the elements of one declaration: a reference that the elements share is
// followed once, its findings noted for each element that shares it.
class DeclarationFiler {
 public:
  explicit DeclarationFiler(Filer& filer) : filer_(filer) {}

  template <class Subject>
  Filing File(const Reference& reference, int element, ElementNotes& notes, const Subject& subject) {
    if (!known_ || reference.numbers != reference_.numbers || reference.header != reference_.header ||
        reference.direct != reference_.direct || reference.asWritten != reference_.asWritten) {
      findings_.clear();
      filing_ = filer_.File(reference, findings_);
      reference_ = reference;  // held, so that a later list cannot take its place in memory
      known_ = true;
    }
    for (const Finding& finding : findings_) notes.Add(finding.kind, finding.reason, element, 1, subject, finding.text);
    return filing_;
  }

 private:
  Filer& filer_;
  bool known_ = false;
  Reference reference_;
  Filing filing_;
  std::vector<Finding> findings_;
};

// Hands out the bytes of one value section in order; a section cut short gives zeros
// for what it lacks.
class ValueSection {
 public:
  ValueSection(const std::vector<std::uint8_t>& bytes, bool present, std::string name)
      : bytes_(bytes), present_(present), name_(std::move(name)) {}

  // Appends the next `size` bytes to `value`; false (and zeros) when the section does
  // not hold them all.
  bool Take(int size, std::vector<std::uint8_t>& value) {
    const std::size_t count = static_cast<std::size_t>(std::max(size, 0));
    const bool whole = present_ && next_ + count <= bytes_.size();
    if (whole) {
      value.insert(value.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(next_),
                   bytes_.begin() + static_cast<std::ptrdiff_t>(next_ + count));
    } else {
      value.resize(value.size() + count, 0);
    }
    next_ += count;
    return whole;
  }
  std::string Missing() const {
    return present_ ? "the file's " + name_ + " section is cut short before this value: written as zeros"
                    : "the file has no " + name_ + " section: the value is written as zeros";
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  bool present_;
  std::string name_;
  std::size_t next_ = 0;
};

struct NvElement {
  std::size_t declaration;  // its declaration's position in XifDevice::nvs
  int element;
  NvPoint point;
  Reference reference;
};

std::string ElementName(const XifNv& nv, int element) {
  return nv.arrayCount > 0 ? nv.name + "[" + std::to_string(element) + "]" : nv.name;
}

// How a limit's error names an NV: a name of any length is cut short.
std::string Named(const XifNv& nv) {
  return "NV " + (nv.name.size() > 40 ? nv.name.substr(0, 40) + "..." : nv.name);
}

// The elements that get an NV, each declaration counted against the limits before its
// elements are made.
std::vector<NvElement> ReadNvElements(const XifDevice& device, std::vector<ElementNotes>& notes, EntryBudget& budget,
                                      std::size_t& blockBytes) {
  std::vector<NvElement> elements;
  std::vector<bool> taken(static_cast<std::size_t>(kMaxPointNumber) + 1);
  for (std::size_t declaration = 0; declaration < device.nvs.size(); ++declaration) {
    const XifNv& nv = device.nvs[declaration];
    const int count = nv.elementCount();
    const std::string subject = NvSubject(nv.index, nv.name);
    ElementNotes& noted = notes.emplace_back(subject, count);
    if (nv.arrayCount > 0) {
      noted.Note(Kind::kRewrite, "NV array of " + std::to_string(count) + " elements written as NVs " + nv.name +
                                     "[0] to " + nv.name + "[" + std::to_string(count - 1) + "] at indexes " +
                                     std::to_string(nv.index) + " to " + std::to_string(nv.index + count - 1) +
                                     " (the object model has one NV per index)");
    }
    // NV indexes are 16-bit numbers in the object model; an index is given once.
    std::vector<int> kept;
    const int inRange = std::clamp(kMaxPointNumber + 1 - nv.index, 0, count);
    for (int element = 0; element < inRange; ++element) {
      const int index = nv.index + element;
      if (!taken[static_cast<std::size_t>(index)]) {
        taken[static_cast<std::size_t>(index)] = true;
        kept.push_back(element);
        continue;
      }
      noted.Add(Kind::kLoss, "index-taken", element, 1, [&] { return NvSubject(index, ElementName(nv, element)); },
                "its index is already taken by an earlier NV: left out of the entry");
    }
    if (inRange < count) {
      noted.Add(Kind::kLoss, "index-range", inRange, count - inRange,
                [&] { return NvSubject(nv.index + inRange, ElementName(nv, inRange)); },
                "its index is past " + std::to_string(kMaxPointNumber) + ", the highest NV index of the object "
                "model: left out of the entry");
    }
    if (kept.empty()) continue;

    const TextBytes name = MeasureText(nv.name);
    const TextBytes selfDoc = MeasureText(nv.selfDoc);
    const bool array = nv.arrayCount > 0;
    budget.Text(name.valid + (array ? 2 + Digits(count - 1) : 0), nv.line, "the name of " + Named(nv));
    budget.Text(selfDoc.valid, nv.line, "the self-documentation of " + Named(nv));
    // Each element: its markup, numbers and texts; an element of an array also its
    // number in "[i]" (counted as if the elements were the first ones).
    const std::size_t elementBytes = kNvMarkupBytes + Digits(nv.size) + Digits(nv.snvtIndex) + name.escaped +
                                     (array ? 2 : 0) + selfDoc.escaped;
    const long long last = static_cast<long long>(kept.size()) - 1;
    budget.Add(elementBytes * kept.size() + Digits(nv.index, nv.index + last) + (array ? Digits(0, last) : 0), nv.line,
               Named(nv) + " (" + std::to_string(kept.size()) + " NVs of at least " + std::to_string(elementBytes) +
                   " bytes each)");
    if (nv.config) {
      blockBytes += kept.size() * static_cast<std::size_t>(nv.size);
      CheckBlockBytes(device.fileName, blockBytes, nv.line, "the configuration " + Named(nv));
    }

    if (const StandardType* type = FindSnvt(nv.snvtIndex); type && type->size > 0 && type->size != nv.size) {
      noted.Note(Kind::kLoss, SizeContradiction(nv.size, *type));
    }
    std::vector<ImportNote> rewrites;
    const NvSelfDocs selfDocs(nv, subject, rewrites);
    for (ImportNote& rewrite : rewrites) noted.Note(rewrite.kind, std::move(rewrite.text));
    for (const int element : kept) {
      NvPoint point;
      point.declaration = &nv;
      point.index = nv.index + element;
      point.name = ElementName(nv, element);
      point.size = nv.size;
      point.nvType = nv.snvtIndex;
      point.config = nv.config;
      point.output = nv.output;
      NvSelfDoc doc = selfDocs.Element(element);
      point.selfDoc = std::move(doc.text);
      elements.push_back(NvElement{declaration, element, std::move(point), std::move(doc.reference)});
    }
  }
  return elements;
}

// NVVAL holds the configuration NVs' values in ascending NV index, every element of an
// array in turn.
void TakeNvValues(const XifDevice& device, std::vector<NvElement>& elements, std::vector<ElementNotes>& notes) {
  std::vector<NvElement*> config;
  for (NvElement& element : elements) {
    if (element.point.config) config.push_back(&element);
  }
  std::stable_sort(config.begin(), config.end(),
                   [](const NvElement* a, const NvElement* b) { return a->point.index < b->point.index; });
  ValueSection section(device.nvValues, device.hasNvValues, "NVVAL");
  for (NvElement* element : config) {
    NvPoint& point = element->point;
    point.hasValue = section.Take(point.size, point.value);
    if (!point.hasValue) {
      notes[element->declaration].Add(Kind::kLoss, "value", element->element, 1,
                                      [&] { return NvSubject(point.index, point.name); }, section.Missing());
    }
  }
}

// The CPs, their `cps` elements and `cpBytes` bytes of values already counted against the limits.
void ReadCps(const XifDevice& device, std::size_t cps, std::size_t cpBytes, Filer& filer,
             std::vector<ImportNote>& notes, DevicePoints& points) {
  ValueSection writable(device.fileValues, device.hasFileValues, "FILE value");
  ValueSection readOnly(device.fileReadOnly, device.hasFileReadOnly, "FILE readOnly");
  // Some generators write no FILE readOnly section and put every record's value, the
  // const ones too, into FILE value.
  const bool valueHoldsAll = !device.hasFileReadOnly && device.fileValues.size() == cpBytes;
  points.cpValues.reserve(cpBytes);
  points.cps.reserve(cps);
  for (std::size_t record = 0; record < device.cpTemplates.size(); ++record) {
    const XifCpTemplate& cp = device.cpTemplates[record];
    const std::string recordSubject = "CP template record " + std::to_string(record + 1);
    const int dim = std::max(cp.dim, 1);
    const int firstKey = static_cast<int>(points.cps.size()) + 1;
    ElementNotes noted(recordSubject, dim);
    if (dim > 1) {
      noted.Note(Kind::kRewrite, "array of " + std::to_string(dim) + " elements written as CPs " +
                                     std::to_string(firstKey) + " to " + std::to_string(firstKey + dim - 1) + " of " +
                                     std::to_string(cp.size) + " bytes each" +
                                     (cp.select.find('~') != std::string::npos || cp.select.find('-') != std::string::npos
                                          ? ", element i applying to the i-th of " + cp.select
                                          : ", all applying to the same target"));
    }
    if (const StandardType* type = cp.scope == 0 ? FindScpt(cp.typeIndex) : nullptr;
        type && !type->inherits && type->size > 0 && type->size != cp.size) {
      noted.Note(Kind::kLoss, SizeContradiction(cp.size, *type));
    }
    const ElementReferences references(cp.header, cp.select, dim);
    DeclarationFiler declarationFiler(filer);
    ValueSection& section = cp.readOnly() && !valueHoldsAll ? readOnly : writable;
    for (int element = 0; element < dim; ++element) {
      CpPoint point;
      point.key = static_cast<int>(points.cps.size()) + 1;
      point.record = static_cast<int>(record);
      point.element = element;
      const auto subject = [&] { return CpSubject(device, point); };
      const Filing filing = declarationFiler.File(references.At(element), element, noted, subject);
      point.appliesTo = filing.appliesTo;
      point.select = filing.select;
      point.hasValue = section.Take(cp.size, points.cpValues);
      if (!point.hasValue) noted.Add(Kind::kLoss, "value", element, 1, subject, section.Missing());
      points.cps.push_back(point);
    }
    noted.AppendTo(notes);
  }
}

}  // namespace

std::string NvSubject(int index, const std::string& name) { return "NV " + std::to_string(index) + " " + name; }

std::string CpSubject(const XifDevice& device, const CpPoint& cp) {
  const XifCpTemplate& record = device.cpTemplates[static_cast<std::size_t>(cp.record)];
  return "CP template record " + std::to_string(cp.record + 1) +
         (record.dim > 1 ? " element " + std::to_string(cp.element) : std::string());
}

std::string CpDefinition(const XifDevice& device, const CpPoint& cp) {
  const XifCpTemplate& record = device.cpTemplates[static_cast<std::size_t>(cp.record)];
  // Scope 0 is a standard type (flag 0); a manufacturer scope is its own flag.
  std::string definition = std::to_string(cp.key) + "|" + std::to_string(cp.appliesTo) + "|" +
                           std::to_string(record.scope) + "-" + std::to_string(record.typeIndex);
  if (cp.appliesTo != 0) definition += "|" + std::to_string(cp.select);
  return definition;
}

DevicePoints CollectPoints(const XifDevice& device, const NodeSelfDoc& node, std::vector<ImportNote>& notes,
                           EntryBudget& budget) {
  // Every CP is written, whatever the NVs: its bytes of the block and of the entry are
  // counted first.
  std::size_t cpBytes = 0, cps = 0;
  for (std::size_t record = 0; record < device.cpTemplates.size(); ++record) {
    const XifCpTemplate& cp = device.cpTemplates[record];
    const std::string subject = "CP template record " + std::to_string(record + 1);
    const std::size_t dim = static_cast<std::size_t>(std::max(cp.dim, 1));
    cpBytes += static_cast<std::size_t>(std::max(cp.size, 0)) * dim;
    CheckBlockBytes(device.fileName, cpBytes, cp.line, subject);
    // Each element: its markup, its key twice, its size and its type.
    budget.Add(dim * (kCpMarkupBytes + Digits(cp.size) + Digits(cp.scope) + Digits(cp.typeIndex)) +
                   2 * Digits(static_cast<long long>(cps) + 1, static_cast<long long>(cps + dim)),
               cp.line, subject + " (" + std::to_string(dim) + " CPs)");
    cps += dim;
  }
  std::size_t blockBytes = cpBytes;
  std::vector<ElementNotes> nvNotes;
  nvNotes.reserve(device.nvs.size());
  std::vector<NvElement> elements = ReadNvElements(device, nvNotes, budget, blockBytes);
  NvReferences references;
  for (const NvElement& element : elements) references.emplace(element.point.index, element.reference);

  Filer filer(references, node);
  DevicePoints points;
  std::size_t declaration = elements.empty() ? 0 : elements.front().declaration;
  auto declarationFiler = std::make_unique<DeclarationFiler>(filer);
  for (NvElement& element : elements) {
    if (element.declaration != declaration) {
      declaration = element.declaration;
      declarationFiler = std::make_unique<DeclarationFiler>(filer);
    }
    NvPoint& point = element.point;
    const Filing filing = declarationFiler->File(element.reference, element.element, nvNotes[element.declaration],
                                                 [&] { return NvSubject(point.index, point.name); });
    if (point.config && !filing.keep) point.selfDoc = WriteConfigNvSelfDoc(EntrySelfDoc(point), filing);
  }
  TakeNvValues(device, elements, nvNotes);
  for (const ElementNotes& noted : nvNotes) noted.AppendTo(notes);
  points.nvs.reserve(elements.size());
  for (NvElement& element : elements) points.nvs.push_back(std::move(element.point));
  ReadCps(device, cps, cpBytes, filer, notes, points);
  return points;
}

}  // namespace vemo::importer

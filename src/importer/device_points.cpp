#include "importer/device_points.h"

#include <algorithm>
#include <set>

namespace vemo::importer {

namespace {

// NV indexes are 16-bit numbers in the object model.
constexpr int kHighestNvIndex = 32767;

void Note(std::vector<ImportNote>& notes, ImportNote::Kind kind, const std::string& subject, std::string text) {
  notes.push_back(ImportNote{kind, subject, std::move(text)});
}

// Hands out the bytes of one value section in order; a section cut short gives zeros
// for what it lacks.
class ValueSection {
 public:
  ValueSection(const std::vector<std::uint8_t>& bytes, bool present, std::string name)
      : bytes_(bytes), present_(present), name_(std::move(name)) {}

  // The next `size` bytes; false (and zeros) when the section does not hold them all.
  bool Take(int size, std::vector<std::uint8_t>& value) {
    const std::size_t count = static_cast<std::size_t>(std::max(size, 0));
    value.assign(count, 0);
    const bool whole = present_ && next_ + count <= bytes_.size();
    if (whole) std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(next_), count, value.begin());
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
  const XifNv* nv;
  int element;
  NvPoint point;
  Reference reference;
};

std::vector<NvElement> ReadNvElements(const XifDevice& device, std::vector<ImportNote>& notes) {
  std::vector<NvElement> elements;
  std::set<int> indexes;
  for (const XifNv& nv : device.nvs) {
    const int count = nv.elementCount();
    if (nv.arrayCount > 0) {
      Note(notes, ImportNote::Kind::kRewrite, NvSubject(nv.index, nv.name),
           "NV array of " + std::to_string(count) + " elements written as NVs " + nv.name + "[0] to " + nv.name + "[" +
               std::to_string(count - 1) + "] at indexes " + std::to_string(nv.index) + " to " +
               std::to_string(nv.index + count - 1) + " (the object model has one NV per index)");
    }
    for (int element = 0; element < count; ++element) {
      NvPoint point;
      point.index = nv.index + element;
      point.name = nv.arrayCount > 0 ? nv.name + "[" + std::to_string(element) + "]" : nv.name;
      const std::string subject = NvSubject(point.index, point.name);
      if (point.index < 0 || point.index > kHighestNvIndex || !indexes.insert(point.index).second) {
        Note(notes, ImportNote::Kind::kLoss, subject,
             "its index is out of range or already taken by an earlier NV: left out of the entry");
        continue;
      }
      point.size = nv.size;
      point.nvType = nv.snvtIndex;
      point.config = nv.config;
      point.output = nv.output;
      NvSelfDoc selfDoc = ReadNvSelfDoc(nv, element, subject, notes);
      point.selfDoc = std::move(selfDoc.text);
      elements.push_back(NvElement{&nv, element, std::move(point), std::move(selfDoc.reference)});
    }
  }
  return elements;
}

// NVVAL holds the configuration NVs' values in ascending NV index, every element of an
// array in turn.
void TakeNvValues(const XifDevice& device, std::vector<NvElement>& elements, std::vector<ImportNote>& notes) {
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
    if (!point.hasValue) Note(notes, ImportNote::Kind::kLoss, NvSubject(point.index, point.name), section.Missing());
  }
}

std::vector<CpPoint> ReadCps(const XifDevice& device, const NodeSelfDoc& node, const NvReferences& nvs,
                             std::vector<ImportNote>& notes) {
  std::vector<CpPoint> cps;
  ValueSection writable(device.fileValues, device.hasFileValues, "FILE value");
  ValueSection readOnly(device.fileReadOnly, device.hasFileReadOnly, "FILE readOnly");
  // Some generators write no FILE readOnly section and put every record's value, the
  // const ones too, into FILE value.
  std::size_t allBytes = 0;
  for (const XifCpTemplate& cp : device.cpTemplates) {
    allBytes += static_cast<std::size_t>(std::max(cp.size, 0)) * static_cast<std::size_t>(std::max(cp.dim, 1));
  }
  const bool valueHoldsAll = !device.hasFileReadOnly && device.fileValues.size() == allBytes;
  for (std::size_t record = 0; record < device.cpTemplates.size(); ++record) {
    const XifCpTemplate& cp = device.cpTemplates[record];
    const std::string recordSubject = "CP template record " + std::to_string(record + 1);
    const int dim = std::max(cp.dim, 1);
    if (dim > 1) {
      const int firstKey = static_cast<int>(cps.size()) + 1;
      Note(notes, ImportNote::Kind::kRewrite, recordSubject,
           "array of " + std::to_string(dim) + " elements written as CPs " + std::to_string(firstKey) + " to " +
               std::to_string(firstKey + dim - 1) + " of " + std::to_string(cp.size) + " bytes each" +
               (cp.select.find('~') != std::string::npos || cp.select.find('-') != std::string::npos
                    ? ", element i applying to the i-th of " + cp.select
                    : ", all applying to the same target"));
    }
    for (int element = 0; element < dim; ++element) {
      CpPoint point;
      point.key = static_cast<int>(cps.size()) + 1;
      point.size = cp.size;
      point.subject = dim > 1 ? recordSubject + " element " + std::to_string(element) : recordSubject;
      const Filing filing =
          FileReference(ElementReference(cp.header, cp.select, element, dim), nvs, node, recordSubject, notes);
      // Scope 0 is a standard type (flag 0); a manufacturer scope is its own flag.
      point.definition = std::to_string(point.key) + "|" + std::to_string(filing.appliesTo) + "|" +
                         std::to_string(cp.scope) + "-" + std::to_string(cp.typeIndex);
      if (filing.appliesTo != 0) point.definition += "|" + std::to_string(filing.select);
      ValueSection& section = cp.readOnly() && !valueHoldsAll ? readOnly : writable;
      point.hasValue = section.Take(cp.size, point.value);
      if (!point.hasValue) Note(notes, ImportNote::Kind::kLoss, point.subject, section.Missing());
      cps.push_back(std::move(point));
    }
  }
  return cps;
}

}  // namespace

std::string NvSubject(int index, const std::string& name) { return "NV " + std::to_string(index) + " " + name; }

DevicePoints CollectPoints(const XifDevice& device, const NodeSelfDoc& node, std::vector<ImportNote>& notes) {
  std::vector<NvElement> elements = ReadNvElements(device, notes);
  NvReferences references;
  for (const NvElement& element : elements) references.emplace(element.point.index, element.reference);

  DevicePoints points;
  for (NvElement& element : elements) {
    NvPoint& point = element.point;
    const Filing filing =
        FileReference(element.reference, references, node, NvSubject(point.index, point.name), notes);
    if (point.config) point.selfDoc = WriteConfigNvSelfDoc(point.selfDoc, filing);
  }
  TakeNvValues(device, elements, notes);
  for (NvElement& element : elements) points.nvs.push_back(std::move(element.point));
  points.cps = ReadCps(device, node, references, notes);
  return points;
}

}  // namespace vemo::importer

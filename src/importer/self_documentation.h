#pragma once

// The self-documentation forms of a device interface, rewritten where population would
// read them otherwise than the device means them. Each rewrite adds a note.

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "importer/entry_limits.h"
#include "importer/xif_model.h"
#include "vemosupport/importer.h"

namespace vemo::importer {

// The node's self-documentation as the entry carries it.
struct NodeSelfDoc {
  std::string text;      // the SelfDoc element's text
  std::string comment;   // what follows the first ";" (the device's own description)
  std::size_t blocks = 0;  // functional blocks of that list; block i is at position i
};

// The node self-documentation with every functional-block array "<profile>[<count><name>"
// written as `count` items "<profile><name>[i]", so that each block sits at the position
// its index names. The expanded text is counted in `budget` before it is made; a list of
// more than kMaxFunctionalBlocks blocks is refused (DeviceInterfaceError).
NodeSelfDoc WriteNodeSelfDoc(const XifDevice& device, std::vector<ImportNote>& notes, EntryBudget& budget);

// What a point's self-documentation names: the device (header 0), functional blocks
// (header 1) or NVs whose block it belongs to (header 2).
struct Reference {
  int header = 0;
  // The select's numbers; the elements of a declaration that the select applies to
  // whole share one list. Null for none.
  std::shared_ptr<const std::vector<int>> numbers;
  bool asWritten = false;  // the select is one number, as population reads it
  bool direct = false;     // the select names this element's one target: one number, or its number of a range
};

// Reads a select text: "12", a dotted list "2.3.24", or a range "93-104" / "1~5" (at
// most a few thousand numbers). Anything else gives no numbers.
std::vector<int> SelectNumbers(const std::string& select);

// The references of the elements of one declaration with `elements` elements, the select
// read once: a range of exactly `elements` numbers gives element i its i-th number; any
// other select applies whole to every element.
class ElementReferences {
 public:
  ElementReferences(int header, const std::string& select, int elements);
  Reference At(int element) const;

 private:
  Reference whole_;
  bool perElement_ = false;
};

// The references of all NV elements by NV index, for following header-2 references.
using NvReferences = std::map<int, Reference>;

// Where a reference files its point, as population reads the written entry: applies-to
// code and select. Header 2 naming one NV whose own object is known when it is loaded is
// kept (`keep`); every other reference to NVs becomes the one block they all lie in, or
// the device object when they lie in several (reported as a loss).
struct Filing {
  int appliesTo = 0;
  int select = 0;  // block, or NV for applies-to 2; 0 for the device
  bool keep = false;  // the point's own text already reads this way
};

// Something filing found about one element's reference; `reason` tells alike findings
// of a declaration's elements apart from others.
struct Finding {
  ImportNote::Kind kind;
  const char* reason;
  std::string text;
};

// Files references. A reference shared by many elements is followed once: what an NV's
// reference ends up in is remembered.
class Filer {
 public:
  Filer(const NvReferences& nvs, const NodeSelfDoc& node) : nvs_(nvs), node_(node) {}
  Filing File(const Reference& reference, std::vector<Finding>& findings);

 private:
  // The block a point of this reference ends up in once written: -1 for the device
  // object. Header-2 references are followed through the NVs they name, at most `depth` deep.
  int FinalBlock(const Reference& reference, int depth);

  const NvReferences& nvs_;
  const NodeSelfDoc& node_;
  std::map<std::tuple<const void*, int, int>, int> finalBlocks_;  // (numbers, header, depth) -> block
};

// The self-documentation of one element of an NV, and the reference it makes.
struct NvSelfDoc {
  std::string text;  // empty when it is the declaration's own text, which every element then shares
  Reference reference;
};

// One NV declaration's self-documentation, read once: kept where population reads it
// right; otherwise rewritten (no text or free text: the device object; an NV array
// element of a block array: its own block), with one note under `subject`.
// Configuration NVs with a header-2 or multi-block reference are finished by
// WriteConfigNvSelfDoc once all NVs are known.
class NvSelfDocs {
 public:
  NvSelfDocs(const XifNv& nv, const std::string& subject, std::vector<ImportNote>& notes);
  NvSelfDoc Element(int element) const;

 private:
  enum class Form { kAsWritten, kRewritten, kConfig, kBlockArray };
  const XifNv& nv_;
  Form form_ = Form::kAsWritten;
  std::string written_;           // kRewritten: the text every element gets
  Reference reference_;           // kAsWritten and kRewritten: every element's reference
  std::unique_ptr<ElementReferences> references_;  // kConfig
  int firstBlock_ = 0;            // kBlockArray: element i is a member of block firstBlock_ + i,
  std::string member_, rest_;     // written as lead, block, member_, rest_
};

// The configuration NV's text for its filing: the text as read when `filing.keep`, else
// the same text with header and select replaced.
std::string WriteConfigNvSelfDoc(const std::string& text, const Filing& filing);

}  // namespace vemo::importer

#pragma once

// The self-documentation forms of a device interface, rewritten where population would
// read them otherwise than the device means them. Each rewrite adds a note.

#include <map>
#include <string>
#include <vector>

#include "importer/xif_model.h"
#include "vemosupport/importer.h"

namespace vemo::importer {

// The node's self-documentation as the entry carries it.
struct NodeSelfDoc {
  std::string text;      // the SelfDoc element's text
  std::string comment;   // what follows the first ";" (the device's own description)
  bool lonMark = false;  // population reads an object list from it
  std::size_t blocks = 0;  // functional blocks of that list; block i is at position i
};

// The node self-documentation with every functional-block array "<profile>[<count><name>"
// written as `count` items "<profile><name>[i]", so that each block sits at the position
// its index names.
NodeSelfDoc WriteNodeSelfDoc(const XifDevice& device, std::vector<ImportNote>& notes);

// What a point's self-documentation names: the device (header 0), functional blocks
// (header 1) or NVs whose block it belongs to (header 2).
struct Reference {
  int header = 0;
  std::vector<int> numbers;
  bool asWritten = false;  // the select is one number, as population reads it
  bool direct = false;     // the select names this element's one target: one number, or its number of a range
};

// Reads a select text: "12", a dotted list "2.3.24", or a range "93-104" / "1~5" (at
// most a few thousand numbers). Anything else gives no numbers.
std::vector<int> SelectNumbers(const std::string& select);

// The reference of element `element` of a point with `elements` elements: a range of
// exactly `elements` numbers gives element i its i-th number; any other select applies
// whole to every element.
Reference ElementReference(int header, const std::string& select, int element, int elements);

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
Filing FileReference(const Reference& reference, const NvReferences& nvs, const NodeSelfDoc& node,
                     const std::string& subject, std::vector<ImportNote>& notes);

// The self-documentation of one element of an NV, and the reference it makes.
struct NvSelfDoc {
  std::string text;
  Reference reference;
};

// Reads the NV's self-documentation for element `element`: kept where population reads
// it right; otherwise rewritten (no text or free text: the device object; an NV array
// element of a block array: its own block). Configuration NVs with a header-2 or
// multi-block reference are finished by WriteConfigNvSelfDoc once all NVs are known.
NvSelfDoc ReadNvSelfDoc(const XifNv& nv, int element, const std::string& subject, std::vector<ImportNote>& notes);

// The configuration NV's text for its filing: the text as read when `filing.keep`, else
// the same text with header and select replaced.
std::string WriteConfigNvSelfDoc(const std::string& text, const Filing& filing);

}  // namespace vemo::importer

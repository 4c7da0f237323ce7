#pragma once

// The data points of a device interface as the catalogue entry lists them: one NV per NV
// element, one CP per element of a CP template record, each with its self-documentation
// or definition record and its configuration value.

#include <cstdint>
#include <string>
#include <vector>

#include "importer/entry_limits.h"
#include "importer/self_documentation.h"
#include "importer/xif_model.h"
#include "vemosupport/importer.h"

namespace vemo::importer {

struct NvPoint {
  const XifNv* declaration = nullptr;
  int index = 0;
  std::string name;      // "name[i]" for element i of an NV array
  int size = 0;
  int nvType = 0;
  bool config = false;
  bool output = false;
  std::string selfDoc;   // as the entry carries it when rewritten; empty for the declaration's own (EntrySelfDoc)
  std::vector<std::uint8_t> value;  // configuration NVs: `size` bytes, zeros where the file gives none
  bool hasValue = false;
};

// A CP is small: a record may have tens of thousands of elements, whose texts are made
// when they are written.
struct CpPoint {
  int key = 0;           // also the number of its Index "#key": CPs are numbered in template order
  int record = 0;        // its record of the CP template, from 0
  int element = 0;       // its element of the record's array
  int appliesTo = 0;     // its filing
  int select = 0;
  bool hasValue = false;
};

struct DevicePoints {
  std::vector<NvPoint> nvs;  // declaration order, array elements in element order
  std::vector<CpPoint> cps;  // template order, array elements in element order
  std::vector<std::uint8_t> cpValues;  // every CP's value in key order, zeros where the file gives none
};

// The points, each declaration's notes summarised: alike findings about many elements of
// one array are one note with their count. Throws DeviceInterfaceError, before a
// declaration's elements are made, when they would take the entry past `budget` or the
// configuration data block past kMaxBlockBytes.
DevicePoints CollectPoints(const XifDevice& device, const NodeSelfDoc& node, std::vector<ImportNote>& notes,
                           EntryBudget& budget);

// The NV's self-documentation as the entry carries it.
inline const std::string& EntrySelfDoc(const NvPoint& nv) {
  return nv.selfDoc.empty() ? nv.declaration->selfDoc : nv.selfDoc;
}

// "NV 12 nviTemp": how notes name an NV element.
std::string NvSubject(int index, const std::string& name);
// "CP template record 3", with " element 1" for an element of an array.
std::string CpSubject(const XifDevice& device, const CpPoint& cp);
// The CP's Name in the entry: "key|applies-to|scope-type[|select]".
std::string CpDefinition(const XifDevice& device, const CpPoint& cp);

}  // namespace vemo::importer

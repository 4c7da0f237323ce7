#pragma once

// The data points of a device interface as the catalogue entry lists them: one NV per NV
// element, one CP per element of a CP template record, each with its self-documentation
// or definition record and its configuration value.

#include <cstdint>
#include <string>
#include <vector>

#include "importer/self_documentation.h"
#include "importer/xif_model.h"
#include "vemosupport/importer.h"

namespace vemo::importer {

struct NvPoint {
  int index = 0;
  std::string name;      // "name[i]" for element i of an NV array
  int size = 0;
  int nvType = 0;
  bool config = false;
  bool output = false;
  std::string selfDoc;   // as the entry carries it
  std::vector<std::uint8_t> value;  // configuration NVs: `size` bytes, zeros where the file gives none
  bool hasValue = false;
};

struct CpPoint {
  int key = 0;           // also the number of its Index "#key": CPs are numbered in template order
  int size = 0;
  std::string definition;  // "key|applies-to|scope-type[|select]"
  std::string subject;     // "CP template record 3" (with the element for arrays)
  std::vector<std::uint8_t> value;  // `size` bytes, zeros where the file gives none
  bool hasValue = false;
};

struct DevicePoints {
  std::vector<NvPoint> nvs;  // declaration order, array elements in element order
  std::vector<CpPoint> cps;  // template order, array elements in element order
};

DevicePoints CollectPoints(const XifDevice& device, const NodeSelfDoc& node, std::vector<ImportNote>& notes);

// "NV 12 nviTemp": how notes name an NV element.
std::string NvSubject(int index, const std::string& name);

}  // namespace vemo::importer

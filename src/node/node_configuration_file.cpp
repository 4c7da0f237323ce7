#include <algorithm>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/configuration_file.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/version.h"

namespace vemo {

namespace {

// One data point's share of the block.
struct Slice {
  std::int32_t order = 0;
  std::string label;
  std::vector<std::uint8_t> bytes;
};

// The point's value, which must fill exactly its share of the block.
template <class Point>
std::vector<std::uint8_t> BlockBytes(const Point& point, std::int16_t size, const std::string& label) {
  const Variant value = point.Value();
  const ByteArray* bytes = value.AsBytes();
  if (!bytes || bytes->Count() != size) {
    throw AutomationError(err::kInvalidArgument, "NodeConfigurationFile",
                          "The value of " + label + " does not fill its " + std::to_string(size) + " bytes.");
  }
  return bytes->bytes;
}

// The slices in ascending order, each a value of the file.
void AppendValues(std::vector<ConfigurationValue>& values, std::vector<Slice> slices) {
  std::stable_sort(slices.begin(), slices.end(), [](const Slice& a, const Slice& b) { return a.order < b.order; });
  for (Slice& slice : slices) values.push_back({std::move(slice.bytes), std::move(slice.label)});
}

}  // namespace

std::string NodeConfigurationFile(I709Node& node) {
  std::vector<Slice> cps;
  if (const auto collection = node.ConfigurationProperties()) {
    for (const auto& cp : Members<I709ConfigurationProperty>(collection->NewEnum())) {
      if (cp->ElementSize() < 1) continue;  // takes no bytes of the block
      const auto& filed = dynamic_cast<const IC472VirtualCP&>(*cp);
      const std::string label = "CP key " + std::to_string(filed.Key()) + ", index " + std::to_string(filed.Index()) +
                                ": " + cp->Name();
      cps.push_back({filed.Index(), label, BlockBytes(*cp, cp->ElementSize(), label)});
    }
  }
  std::vector<Slice> nvs;
  if (const auto collection = node.NetworkVariables()) {
    for (const auto& nv : Members<I709NetworkVariable>(collection->NewEnum())) {
      if (!nv->IsConfigurationVariable() || nv->Length() < 1) continue;
      const std::string label = "NV " + std::to_string(nv->Index()) + ": " + nv->Name();
      nvs.push_back({nv->Index(), label, BlockBytes(*nv, nv->Length(), label)});
    }
  }
  std::vector<ConfigurationValue> values;
  AppendValues(values, std::move(cps));
  AppendValues(values, std::move(nvs));
  return FormatConfigurationFile(node.ProgramID(), values,
                                 "Configuration data written by vemosupport " VEMOSUPPORT_VERSION
                                 ": CPs in ascending CP index, then\n"
                                 "configuration NVs in ascending NV index, then the spare byte.");
}

}  // namespace vemo

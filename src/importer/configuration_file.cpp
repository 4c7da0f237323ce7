#include "importer/configuration_file.h"

#include <algorithm>
#include <vector>

#include "importer/entry_limits.h"
#include "importer/safe_text.h"
#include "services/configuration_file_format.h"

namespace vemo::importer {

namespace {

using services::ConfigurationFileWriter;

// Bytes a value of the plain form holds: a line.
constexpr std::size_t kPlainValueBytes = 16;

// A comment holds valid text only.
std::string CommentText(const std::string& text) {
  bool replaced = false;
  return ValidText(text, replaced);
}

// The block's bytes in order: the CP values, then the configuration NVs' values.
std::vector<const NvPoint*> ConfigNvs(const DevicePoints& points) {
  std::vector<const NvPoint*> nvs;
  for (const NvPoint& nv : points.nvs) {
    if (nv.config) nvs.push_back(&nv);
  }
  std::stable_sort(nvs.begin(), nvs.end(), [](const NvPoint* a, const NvPoint* b) { return a->index < b->index; });
  return nvs;
}

// Every value on a line of its own, named; false as soon as the text grows past what
// the reader reads.
bool NamedLines(const XifDevice& device, const DevicePoints& points, const std::vector<const NvPoint*>& nvs,
                ConfigurationFileWriter& file) {
  if (!points.cps.empty()) file.Heading("CPs, ascending CP Index");
  std::size_t at = 0;
  for (const CpPoint& cp : points.cps) {
    const std::size_t size = static_cast<std::size_t>(device.cpTemplates[static_cast<std::size_t>(cp.record)].size);
    file.Value({points.cpValues.data() + at, size},
               CommentText("CP #" + std::to_string(cp.key) + "  " + CpDefinition(device, cp) + "  (" +
                           CpSubject(device, cp) + ")" + (cp.hasValue ? "" : "  not in the file: zeros")));
    at += size;
    if (file.size() > kMaxConfigurationFileBytes) return false;
  }
  if (!nvs.empty()) file.Heading("configuration NVs, ascending NV index");
  for (const NvPoint* nv : nvs) {
    file.Value(nv->value, CommentText("NV " + std::to_string(nv->index) + " " + nv->name +
                                      (nv->hasValue ? "" : "  not in the file: zeros")));
    if (file.size() > kMaxConfigurationFileBytes) return false;
  }
  return true;
}

// The same bytes a line at a time, each line's comment its offset.
void PlainLines(const DevicePoints& points, const std::vector<const NvPoint*>& nvs, ConfigurationFileWriter& file) {
  std::vector<std::uint8_t> block = points.cpValues;
  for (const NvPoint* nv : nvs) block.insert(block.end(), nv->value.begin(), nv->value.end());
  file.Heading(std::to_string(points.cps.size()) + " CPs and " + std::to_string(nvs.size()) +
               " configuration NVs: too many to name each one here (the catalogue entry lists them)");
  for (std::size_t at = 0; at < block.size(); at += kPlainValueBytes) {
    file.Value({block.data() + at, std::min(kPlainValueBytes, block.size() - at)}, "");
  }
}

}  // namespace

ConfigurationFile WriteConfigurationFile(const XifDevice& device, const DevicePoints& points,
                                         const std::string& sourceName) {
  const std::vector<const NvPoint*> nvs = ConfigNvs(points);
  const std::string preamble = "Configuration values of " + CommentText(sourceName) +
                               ", written by the vemo importer.\n"
                               "The data fills the configuration data block from offset 0: the CP values in ascending\n"
                               "CP Index, then the configuration NVs in ascending NV index, then one spare byte.";
  ConfigurationFileWriter named(device.programId, preamble);
  if (points.cps.empty() && nvs.empty()) named.Heading("The device has no configuration values.");
  if (NamedLines(device, points, nvs, named)) {
    std::string text = named.Finish();
    if (text.size() <= kMaxConfigurationFileBytes) return ConfigurationFile{std::move(text), named.offset()};
  }
  ConfigurationFileWriter plain(device.programId, preamble);
  PlainLines(points, nvs, plain);
  std::string text = plain.Finish();
  return ConfigurationFile{std::move(text), plain.offset()};
}

}  // namespace vemo::importer

#include "importer/configuration_file.h"

#include <algorithm>
#include <vector>

#include "importer/safe_text.h"

namespace vemo::importer {

namespace {

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

// A comment stays on its line and holds valid text only.
std::string CommentText(const std::string& text) {
  bool replaced = false;
  std::string valid = ValidText(text, replaced);
  std::replace_if(valid.begin(), valid.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
  return valid;
}

class Lines {
 public:
  void Data(const std::vector<std::uint8_t>& bytes, const std::string& what) {
    std::string data = HexBytes(bytes);
    if (data.size() < 24) data.resize(24, ' ');
    text += data + "  # offset " + std::to_string(offset) + "  " + CommentText(what) + "\n";
    offset += bytes.size();
  }
  std::string text;
  std::size_t offset = 0;
};

}  // namespace

ConfigurationFile WriteConfigurationFile(const std::string& programId, const DevicePoints& points,
                                         const std::string& sourceName) {
  std::vector<const NvPoint*> nvs;
  for (const NvPoint& nv : points.nvs) {
    if (nv.config) nvs.push_back(&nv);
  }
  std::stable_sort(nvs.begin(), nvs.end(), [](const NvPoint* a, const NvPoint* b) { return a->index < b->index; });

  Lines lines;
  lines.text = "# Configuration values of " + CommentText(sourceName) +
               ", written by the vemo importer.\n"
               "# The data fills the configuration data block from offset 0: the CP values in ascending\n"
               "# CP Index, then the configuration NVs in ascending NV index, then one spare byte.\n\n"
               "vemo-kiv 1\nprogram-id " + programId + "\n";
  if (points.cps.empty() && nvs.empty()) {
    lines.text += "# The device has no configuration values.\n";
    return ConfigurationFile{lines.text, 0};
  }
  if (!points.cps.empty()) lines.text += "\n# CPs, ascending CP Index\n";
  for (const CpPoint& cp : points.cps) {
    lines.Data(cp.value, "CP #" + std::to_string(cp.key) + "  " + cp.definition + "  (" + cp.subject + ")" +
                             (cp.hasValue ? "" : "  not in the file: zeros"));
  }
  if (!nvs.empty()) lines.text += "\n# configuration NVs, ascending NV index\n";
  for (const NvPoint* nv : nvs) {
    lines.Data(nv->value, "NV " + std::to_string(nv->index) + " " + nv->name +
                              (nv->hasValue ? "" : "  not in the file: zeros"));
  }
  lines.text += "\n";
  lines.Data({0}, "spare byte");
  return ConfigurationFile{lines.text, lines.offset};
}

}  // namespace vemo::importer

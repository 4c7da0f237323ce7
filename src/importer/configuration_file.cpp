#include "importer/configuration_file.h"

#include <algorithm>
#include <vector>

#include "importer/entry_limits.h"
#include "importer/safe_text.h"

namespace vemo::importer {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
// Bytes a line of the plain form holds.
constexpr std::size_t kPlainLineBytes = 32;

void AppendHex(std::string& text, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
}

// A comment stays on its line and holds valid text only.
std::string CommentText(const std::string& text) {
  bool replaced = false;
  std::string valid = ValidText(text, replaced);
  std::replace_if(valid.begin(), valid.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
  return valid;
}

// The data lines of the file, each with a comment; a count of their bytes alone when
// they are not to be written.
class Lines {
 public:
  explicit Lines(bool write) : write_(write) {}

  void Data(const std::uint8_t* bytes, std::size_t count, const std::string& what) {
    const std::string comment = "  # offset " + std::to_string(offset) + "  " + CommentText(what) + "\n";
    const std::size_t digits = count == 0 ? 0 : 3 * count - 1;
    bytes_ += std::max<std::size_t>(digits, 24) + comment.size();
    offset += count;
    if (!write_) return;
    const std::size_t start = text.size();
    AppendHex(text, bytes, count);
    if (digits < 24) text.resize(start + 24, ' ');
    text += comment;
  }
  void Comment(const std::string& line) {
    bytes_ += line.size();
    if (write_) text += line;
  }
  std::size_t bytes() const { return bytes_; }

  std::string text;
  std::size_t offset = 0;

 private:
  bool write_;
  std::size_t bytes_ = 0;
};

// The block's bytes in order: the CP values, then the configuration NVs' values.
std::vector<const NvPoint*> ConfigNvs(const DevicePoints& points) {
  std::vector<const NvPoint*> nvs;
  for (const NvPoint& nv : points.nvs) {
    if (nv.config) nvs.push_back(&nv);
  }
  std::stable_sort(nvs.begin(), nvs.end(), [](const NvPoint* a, const NvPoint* b) { return a->index < b->index; });
  return nvs;
}

// Every value on a line of its own, named.
void NamedLines(const XifDevice& device, const DevicePoints& points, const std::vector<const NvPoint*>& nvs,
                Lines& lines) {
  if (!points.cps.empty()) lines.Comment("\n# CPs, ascending CP Index\n");
  std::size_t at = 0;
  for (const CpPoint& cp : points.cps) {
    const std::size_t size = static_cast<std::size_t>(device.cpTemplates[static_cast<std::size_t>(cp.record)].size);
    lines.Data(points.cpValues.data() + at, size,
               "CP #" + std::to_string(cp.key) + "  " + CpDefinition(device, cp) + "  (" + CpSubject(device, cp) +
                   ")" + (cp.hasValue ? "" : "  not in the file: zeros"));
    at += size;
  }
  if (!nvs.empty()) lines.Comment("\n# configuration NVs, ascending NV index\n");
  for (const NvPoint* nv : nvs) {
    lines.Data(nv->value.data(), nv->value.size(),
               "NV " + std::to_string(nv->index) + " " + nv->name + (nv->hasValue ? "" : "  not in the file: zeros"));
  }
  lines.Comment("\n");
  const std::uint8_t spare = 0;
  lines.Data(&spare, 1, "spare byte");
}

// The same bytes in lines of kPlainLineBytes, each line's comment its offset.
void PlainLines(const DevicePoints& points, const std::vector<const NvPoint*>& nvs, Lines& lines) {
  std::vector<std::uint8_t> block = points.cpValues;
  for (const NvPoint* nv : nvs) block.insert(block.end(), nv->value.begin(), nv->value.end());
  block.push_back(0);
  lines.Comment("\n# " + std::to_string(points.cps.size()) + " CPs and " + std::to_string(nvs.size()) +
                " configuration NVs: too many to name each one here (the catalogue entry lists them)\n");
  for (std::size_t at = 0; at < block.size(); at += kPlainLineBytes) {
    const std::size_t count = std::min(kPlainLineBytes, block.size() - at);
    lines.Data(block.data() + at, count, at + count == block.size() ? "the last byte is the spare byte" : "");
  }
}

}  // namespace

ConfigurationFile WriteConfigurationFile(const XifDevice& device, const DevicePoints& points,
                                         const std::string& sourceName) {
  const std::vector<const NvPoint*> nvs = ConfigNvs(points);
  std::string text = "# Configuration values of " + CommentText(sourceName) +
                     ", written by the vemo importer.\n"
                     "# The data fills the configuration data block from offset 0: the CP values in ascending\n"
                     "# CP Index, then the configuration NVs in ascending NV index, then one spare byte.\n\n"
                     "vemo-kiv 1\nprogram-id " + device.programId + "\n";
  if (points.cps.empty() && nvs.empty()) return ConfigurationFile{text + "# The device has no configuration values.\n", 0};
  // The named lines when the reader reads them whole: they are counted before they are made.
  Lines counted(false);
  NamedLines(device, points, nvs, counted);
  const bool named = text.size() + counted.bytes() <= kMaxConfigurationFileBytes;
  Lines lines(true);
  lines.text = std::move(text);
  lines.text.reserve(lines.text.size() + (named ? counted.bytes() : 0));
  if (named) {
    NamedLines(device, points, nvs, lines);
  } else {
    PlainLines(points, nvs, lines);
  }
  return ConfigurationFile{std::move(lines.text), lines.offset};
}

}  // namespace vemo::importer

#include "config_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/configuration_file.h"
#include "vemosupport/file_output.h"
#include "vemosupport/version.h"
#include "errors.h"
#include "points.h"
#include "snapshot.h"

namespace vemo::cli {

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
  if (!bytes || bytes->Count() != size) throw std::runtime_error("the value of " + label + " does not fill its bytes");
  return bytes->bytes;
}

// The slices in ascending order, each a value of the file.
void AppendValues(std::vector<ConfigurationValue>& values, std::vector<Slice> slices) {
  std::stable_sort(slices.begin(), slices.end(), [](const Slice& a, const Slice& b) { return a.order < b.order; });
  for (Slice& slice : slices) values.push_back({std::move(slice.bytes), Printable(slice.label)});
}

}  // namespace

std::string ConfigFileText(I709Node& node) {
  std::vector<Slice> cps;
  for (const auto& cp : ConfigurationProperties(node)) {
    const auto& filed = dynamic_cast<const IC472VirtualCP&>(*cp);
    if (cp->ElementSize() < 1) continue;  // takes no bytes of the block
    const std::string label = "CP key " + std::to_string(filed.Key()) + ", index " + std::to_string(filed.Index()) +
                              ": " + cp->Name();
    cps.push_back({filed.Index(), label, BlockBytes(*cp, cp->ElementSize(), label)});
  }
  std::vector<Slice> nvs;
  for (const auto& nv : NetworkVariables(node)) {
    if (!nv->IsConfigurationVariable() || nv->Length() < 1) continue;
    const std::string label = "NV " + std::to_string(nv->Index()) + ": " + nv->Name();
    nvs.push_back({nv->Index(), label, BlockBytes(*nv, nv->Length(), label)});
  }

  std::vector<ConfigurationValue> values;
  AppendValues(values, std::move(cps));
  AppendValues(values, std::move(nvs));
  return FormatConfigurationFile(node.ProgramID(), values,
                                 "Configuration data written by vemo " VEMOSUPPORT_VERSION
                                 ": CPs in ascending CP index, then\n"
                                 "configuration NVs in ascending NV index, then the spare byte.");
}

void PrepareFolder(const std::string& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) == 0) {
    if (!S_ISDIR(status.st_mode)) throw UsageError("--to \"" + Printable(folder) + "\" is not a folder");
    return;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    throw std::runtime_error("cannot make the folder \"" + Printable(folder) + "\": " + error.message());
  }
}

void WriteNewFiles(const std::vector<FileOutput>& files, bool force) {
  try {
    WriteFilesAtomically(files, force);
  } catch (const FileOutputError& error) {
    if (error.code() == std::errc::file_exists) {
      throw UsageError("\"" + Printable(error.path()) + "\" exists; --force replaces it");
    }
    throw;
  }
}

void WriteNewFile(const std::string& path, const std::string& text, bool force) { WriteNewFiles({{path, text}}, force); }

}  // namespace vemo::cli

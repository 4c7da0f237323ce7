#pragma once

// The real device interface files the benchmarks work on (../shared/realdata/xif, or the
// folder that VEMO_REALDATA names plus /xif), and the same devices imported and written
// to catalogue folders. The benchmark defines VEMO_REALDATA_DEFAULT.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "vemosupport/importer.h"

namespace vemo::bench {

inline std::string RealDataFolder() {
  const char* set = std::getenv("VEMO_REALDATA");
  return set && *set ? set : VEMO_REALDATA_DEFAULT;
}

// Every XIF file of the real data, in name order; empty when the data is absent.
inline const std::vector<std::string>& XifFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(RealDataFolder()) / "xif", error)) {
      std::string extension = entry.path().extension().string();
      std::transform(extension.begin(), extension.end(), extension.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (entry.is_regular_file() && extension == ".xif") found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
  }();
  return files;
}

// Skips the benchmark, saying why, when there is no real data.
inline bool SkipWithoutData(benchmark::State& state) {
  if (!XifFiles().empty()) return false;
  state.SkipWithError(("no real device data in " + RealDataFolder() + "/xif (set VEMO_REALDATA)").c_str());
  return true;
}

// One written device: its catalogue folder, program ID and configuration file.
struct WrittenDevice {
  std::string folder, programId, kiv;
};

// Every file imported once and written to a folder of its own (program IDs repeat across
// files) under a temporary folder named after `name`, removed with the object.
struct WrittenDevices {
  explicit WrittenDevices(const std::string& name)
      : root(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
    for (const std::string& file : XifFiles()) {
      const ImportedDevice imported = ImportDeviceInterface(file);
      const std::string folder = (root / std::filesystem::path(file).stem()).string();
      const ImportedFiles written = WriteImportedDevice(imported, folder, false);
      devices.push_back({folder, imported.programId, written.configurationFile});
    }
  }
  ~WrittenDevices() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  WrittenDevices(const WrittenDevices&) = delete;
  WrittenDevices& operator=(const WrittenDevices&) = delete;

  std::filesystem::path root;
  std::vector<WrittenDevice> devices;
};

}  // namespace vemo::bench

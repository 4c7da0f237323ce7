// Importing the real device interface files (../shared/realdata/xif, or the folder that
// VEMO_REALDATA names plus /xif) and serving every imported device from a node, against
// reading the same XIF files alone.
//
//   BM_ReadXifAlone       read and parse every file into its model, nothing derived
//   BM_ImportAll          ImportDeviceInterface of every file (read + catalogue entry + configuration file)
//   BM_PopulateAll        for every imported device: catalogue lookup, new node, PopulateDevice with its
//                         configuration file (the entries are written once, before timing)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "importer/xif_reader.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/host.h"
#include "vemosupport/importer.h"

namespace {

namespace fs = std::filesystem;

std::string RealDataFolder() {
  const char* set = std::getenv("VEMO_REALDATA");
  return set && *set ? set : VEMO_REALDATA_DEFAULT;
}

// Every XIF file of the real data, in name order; empty when the data is absent.
const std::vector<std::string>& XifFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(RealDataFolder()) / "xif", error)) {
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

bool SkipWithoutData(benchmark::State& state) {
  if (!XifFiles().empty()) return false;
  const std::string message = "no real device data in " + RealDataFolder() + "/xif (set VEMO_REALDATA)";
  state.SkipWithError(message.c_str());
  return true;
}

// One written device: its catalogue folder, program ID and configuration file.
struct WrittenDevice {
  std::string folder, programId, kiv;
};

// Every file imported once and written to a folder of its own (program IDs repeat across
// files), removed at exit.
struct WrittenDevices {
  fs::path root = fs::temp_directory_path() / ("vemo-import-bench-" + std::to_string(::getpid()));
  std::vector<WrittenDevice> devices;

  WrittenDevices() {
    for (const std::string& file : XifFiles()) {
      const vemo::ImportedDevice imported = vemo::ImportDeviceInterface(file);
      const fs::path folder = root / fs::path(file).stem();
      fs::create_directories(folder);
      std::ofstream(folder / (imported.programId + ".xml"), std::ios::binary) << imported.catalogueEntry;
      const fs::path kiv = folder / (imported.programId + ".kiv");
      std::ofstream(kiv, std::ios::binary) << imported.configurationFile;
      devices.push_back({folder.string(), imported.programId, kiv.string()});
    }
  }
  ~WrittenDevices() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

void BM_ReadXifAlone(benchmark::State& state) {
  if (SkipWithoutData(state)) return;
  for (auto _ : state) {
    for (const std::string& file : XifFiles()) {
      const vemo::importer::XifDevice device = vemo::importer::ReadXifFile(file);
      benchmark::DoNotOptimize(device);
    }
  }
  state.counters["files"] = static_cast<double>(XifFiles().size());
}

void BM_ImportAll(benchmark::State& state) {
  if (SkipWithoutData(state)) return;
  for (auto _ : state) {
    for (const std::string& file : XifFiles()) {
      const vemo::ImportedDevice imported = vemo::ImportDeviceInterface(file);
      benchmark::DoNotOptimize(imported);
    }
  }
  state.counters["files"] = static_cast<double>(XifFiles().size());
}

void BM_PopulateAll(benchmark::State& state) {
  if (SkipWithoutData(state)) return;
  static const WrittenDevices written;
  vemo::SetDefaultCatalogFolder((written.root / "no-default-folder").string());
  int boxes = 0;
  vemo::SetMessageBoxHandler([&boxes](const std::string&, const std::string&, int) {
    ++boxes;
    return vemo::kMbResultOk;
  });
  vemo::cFactory factory;
  for (auto _ : state) {
    for (const WrittenDevice& device : written.devices) {
      auto node = factory.CreateVirtualC472Node(factory.CreateProgIDInfo(device.programId, device.folder));
      if (!node) {
        state.SkipWithError(("no node for " + device.folder).c_str());
        break;
      }
      benchmark::DoNotOptimize(node->PopulateDevice(device.kiv));
    }
  }
  if (boxes > 0) state.SkipWithError("message boxes during population: the measurement is not of a clean run");
  state.counters["devices"] = static_cast<double>(written.devices.size());
  vemo::SetMessageBoxHandler(nullptr);
  vemo::ResetDefaultCatalogFolder();
}

BENCHMARK(BM_ReadXifAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PopulateAll)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

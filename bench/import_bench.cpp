// Importing the real device interface files (../shared/realdata/xif, or the folder that
// VEMO_REALDATA names plus /xif) and serving every imported device from a node, against
// reading the same XIF files alone.
//
//   BM_ReadXifAlone       read and parse every file into its model, nothing derived
//   BM_ImportAll          ImportDeviceInterface of every file (read + catalogue entry + configuration file)
//   BM_PopulateAll        for every imported device: catalogue lookup, new node, PopulateDevice with its
//                         configuration file (the entries are written once, before timing)
//   BM_ImportDeclaredHuge small generated files that declare huge arrays (no real data needed): the
//                         time of an import or refusal, and the peak memory it takes against the
//                         file's size (measured in a child process)
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "importer/xif_reader.h"
#include "peak_memory.h"
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

// --- Declared far beyond their own size ------------------------------------------------

std::string Xif(const std::string& body, const std::string& node = "\"&3.4@0,1[4Lamp;huge") {
  return "File: huge.xif generated by hand, XIF Version 4.501\n\n9F:FF:FF:05:01:84:04:5A\n2 15 1 1 0 5\n1 2 3\n4 5\n6\n"
         "7 8 9\n*\n" + node + "\n\n" + body;
}

std::string Var(const std::string& name, int count, const std::string& selfDoc, bool config, int size) {
  return "VAR " + name + " 0 0 0 " + std::to_string(count) + "\n0 1 63 0 0 1 0 1 0 1 0 0 " + (config ? "1" : "0") +
         "\n\"" + selfDoc + "\n0 * 1\n4 0 " + std::to_string(size) + " 0 0\n";
}

struct HugeCase {
  const char* name;
  std::string text;
};

const std::vector<HugeCase>& HugeCases() {
  static const std::vector<HugeCase> cases = [] {
    std::string arrays, names;
    for (int i = 0; i < 40; ++i) arrays += Var("nciA" + std::to_string(i), 65535, "&2,0-4095,0\\x80,1", true, 2);
    for (int i = 0; i < 8; ++i) names += (i ? "," : "") + std::string("0[4095") + std::string(290, 'n');
    std::string records = "FILE template 0 2\n\"1.1;\n";
    for (int i = 0; i < 3; ++i) records += "\"0,,0\\x80,1,1,65535;\n";
    records += "\"0,,0\\x80,1,1,50000;\n";
    return std::vector<HugeCase>{
        {"cp_65535x32767_refused", Xif("FILE template 0 2\n\"1.1;\n\"0,,0\\x80,1,32767,65535;\n")},
        {"nv_40_arrays_of_ranges", Xif(arrays)},
        {"nv_array_naming_its_own_range", Xif(Var("nciA", 4000, "&2,0-4095,0\\x80,1", true, 2))},
        {"nv_array_largest_entry", Xif(Var("nviA", 32767, "@0|1;" + std::string(395, 'q'), false, 2))},
        {"cp_246605_elements", Xif(records)},
        {"blocks_with_long_names", Xif(Var("nviA", 0, "@0|1", false, 2), "\"&3.4@" + names + ";many")},
    };
  }();
  return cases;
}

// The import of one file, refused or not: the sizes of what it wrote, 0 when refused.
std::size_t ImportOrRefuse(const std::string& text) {
  try {
    const vemo::ImportedDevice imported = vemo::ImportDeviceInterfaceText(text, "huge.xif");
    return imported.catalogueEntry.size() + imported.configurationFile.size();
  } catch (const vemo::DeviceInterfaceError&) {
    return 0;
  }
}

void BM_ImportDeclaredHuge(benchmark::State& state) {
  const HugeCase& huge = HugeCases()[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(huge.name);
  std::size_t written = 0;
  for (auto _ : state) written = ImportOrRefuse(huge.text);
  const long rise = vemo::bench::PeakRiseKilobytes([&] { benchmark::DoNotOptimize(ImportOrRefuse(huge.text)); });
  state.counters["input_bytes"] = static_cast<double>(huge.text.size());
  state.counters["written_bytes"] = static_cast<double>(written);
  state.counters["peak_rise_KiB"] = static_cast<double>(rise);
  state.counters["peak_per_input_byte"] = 1024.0 * static_cast<double>(rise) / static_cast<double>(huge.text.size());
}

BENCHMARK(BM_ImportDeclaredHuge)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXifAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PopulateAll)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

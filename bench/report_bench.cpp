// `vemo report` against `vemo check` over the real devices (../shared/realdata/xif, or the
// folder that VEMO_REALDATA names plus /xif), each run as the vemo program, as a user runs
// it. The claim: a report takes at most twice as long as the check of the same folders.
//
//   BM_Check          vemo check of every folder
//   BM_Report         vemo report of every folder, values from the devices' configuration
//                     files, written into a folder of the temporary folder's file system
//   BM_ReportInMemory the same written to /dev/shm, which flushes nothing to a disk: the
//                     report's own work without the waits for the disk
//
// Every file is imported once, before timing, into as few catalogue folders as the program
// IDs allow (several files declare one ID, some of them differently).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "real_devices.h"
#include "vemosupport/importer.h"

namespace {

using namespace vemo::bench;

struct Folders {
  Folders() : root(std::filesystem::temp_directory_path() / ("report_bench-" + std::to_string(::getpid()))) {
    std::vector<std::set<std::string>> ids;
    for (const std::string& file : XifFiles()) {
      const vemo::ImportedDevice imported = vemo::ImportDeviceInterface(file);
      std::size_t at = 0;
      while (at < ids.size() && ids[at].count(imported.programId)) ++at;
      if (at == ids.size()) {
        ids.emplace_back();
        folders.push_back((root / ("catalog" + std::to_string(at))).string());
        std::filesystem::create_directories(folders.back());
      }
      ids[at].insert(imported.programId);
      const std::filesystem::path base = std::filesystem::path(folders[at]) / imported.programId;
      std::ofstream(base.string() + ".xml", std::ios::binary) << imported.catalogueEntry;
      std::ofstream(base.string() + ".kiv", std::ios::binary) << imported.configurationFile;
      ++devices;
    }
  }
  ~Folders() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  std::filesystem::path root;
  std::vector<std::string> folders;
  std::size_t devices = 0;
};

const Folders& Imported() {
  static const Folders folders;
  return folders;
}

void Run(benchmark::State& state, const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) == -1) state.SkipWithError("cannot run vemo");
}

void Count(benchmark::State& state) {
  state.counters["devices"] = static_cast<double>(Imported().devices);
  state.counters["folders"] = static_cast<double>(Imported().folders.size());
}

void BM_Check(benchmark::State& state) {
  if (SkipWithoutData(state)) return;
  for (auto _ : state) {
    for (const std::string& folder : Imported().folders) Run(state, std::string(VEMO_PROGRAM) + " check --catalog " + folder);
  }
  Count(state);
}

void Report(benchmark::State& state, const std::filesystem::path& output) {
  if (SkipWithoutData(state)) return;
  for (auto _ : state) {
    for (std::size_t i = 0; i < Imported().folders.size(); ++i) {
      const std::string& folder = Imported().folders[i];
      Run(state, std::string(VEMO_PROGRAM) + " report --catalog " + folder + " --config " + folder + " --to " +
                     (output / ("site" + std::to_string(i))).string());
    }
  }
  Count(state);
  std::error_code ignored;
  std::filesystem::remove_all(output, ignored);
}

void BM_Report(benchmark::State& state) { Report(state, Imported().root / "report"); }

void BM_ReportInMemory(benchmark::State& state) {
  if (!std::filesystem::is_directory("/dev/shm")) {
    state.SkipWithError("no /dev/shm");
    return;
  }
  Report(state, std::filesystem::path("/dev/shm") / ("report_bench-" + std::to_string(::getpid())));
}

BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportInMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

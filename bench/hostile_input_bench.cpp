// The worst cases that the library's limits allow, each next to the limit that bounds
// it: a start tag of 100,000 attributes (refused before parsing), a file full of tags at
// the attribute limit, the largest catalogue file read, and the largest configuration
// data block populated. Each reports the process's peak resident memory so far (run one
// benchmark per process, with --benchmark_filter, to read each case's own peak).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "vemosupport/cFactory.h"
#include "vemosupport/host.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFileLimit = 16u * 1024 * 1024;  // the catalogue file limit
constexpr int kAttributeLimit = 256;                     // attributes on one start tag

class Folder {
 public:
  explicit Folder(const std::string& name)
      : path_((fs::temp_directory_path() / ("vemo-hostile-" + name + "-" + std::to_string(::getpid()))).string()) {
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << content;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string Attributes(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += " a" + std::to_string(i) + "=\"\"";
  return text;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A device-code lookup that reads the whole folder and finds nothing, boxes silenced.
void LookUpEverything(benchmark::State& state, const Folder& folder) {
  vemo::SetMessageBoxHandler([](const std::string&, const std::string&, int) { return vemo::kMbResultOk; });
  vemo::cFactory factory;
  for (auto _ : state) benchmark::DoNotOptimize(factory.CreateProgIDInfo("ZZZZ", folder.path()));
  state.counters["peak_rss_mb"] = PeakMegabytes();
  vemo::SetMessageBoxHandler(nullptr);
}

void BM_HundredThousandAttributes(benchmark::State& state) {
  const Folder folder("attributes");
  folder.Write("a.xml", "<C5Devices><C5Device" + Attributes(100000) + "/></C5Devices>");
  LookUpEverything(state, folder);
}

void BM_FileFullOfTagsAtTheAttributeLimit(benchmark::State& state) {
  const Folder folder("limit");
  const std::string tag = "<C5Device" + Attributes(kAttributeLimit) + "/>\n";
  std::string content = "<C5Devices>\n";
  while (content.size() + tag.size() + 20 < kFileLimit) content += tag;
  folder.Write("a.xml", content + "</C5Devices>\n");
  LookUpEverything(state, folder);
}

void BM_LargestCatalogueFile(benchmark::State& state) {
  const Folder folder("largest");
  const std::string element = "<C5Device ProgramID=\"P0\"><DevInfo><DeviceCode>AB12</DeviceCode></DevInfo></C5Device>\n";
  std::string content = "<C5Devices>\n";
  while (content.size() + element.size() + 20 < kFileLimit) content += element;
  folder.Write("a.xml", content + "</C5Devices>\n");
  LookUpEverything(state, folder);
}

void BM_LargestConfigurationBlock(benchmark::State& state) {
  const Folder folder("block");
  // 32 CPs of 32,767 bytes: 1,048,544 bytes, just inside the 1 MiB block limit.
  std::string cps;
  for (int i = 1; i <= 32; ++i) {
    cps += "<CP Index=\"#" + std::to_string(i) + "\" Size=\"32767\"><Name>" + std::to_string(i) + "</Name></CP>";
  }
  folder.Write("0000000000000001.xml",
               "<C5Devices><C5Device ProgramID=\"P0000000000000001\"><DevInfo><SelfDoc>&amp;3.4@0</SelfDoc></DevInfo>"
               "<CPs>" + cps + "</CPs></C5Device></C5Devices>");
  vemo::cFactory factory;
  const auto record = factory.CreateProgIDInfo("0000000000000001", folder.path());
  for (auto _ : state) {
    const auto node = factory.CreateVirtualC472Node(record);
    if (!node->PopulateDevice("")) state.SkipWithError("the block was refused");
    benchmark::DoNotOptimize(node);
  }
  state.counters["peak_rss_mb"] = PeakMegabytes();
}

BENCHMARK(BM_HundredThousandAttributes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileFullOfTagsAtTheAttributeLimit)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LargestCatalogueFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LargestConfigurationBlock)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

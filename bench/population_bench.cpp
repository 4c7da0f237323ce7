// Population of a virtual node from a large generated catalogue entry, next to a bare
// libxml2 parse of the same file. Half the data points are NVs (a third of those
// configuration NVs) and half CPs, with every kind of object link.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "vemosupport/cFactory.h"
#include "vemosupport/host.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgramId = "9000BEEF00000001";
constexpr int kObjects = 12;

std::string NvElement(int index, int size, const std::string& selfDoc) {
  std::string hex;
  for (int b = 0; b < size; ++b) hex += "A5";
  return "<NV Index=\"N" + std::to_string(index) + "\" Size=\"" + std::to_string(size) + "\" NVType=\"" +
         std::to_string(index % 200) + "\"><Name>nv" + std::to_string(index) + "</Name><SelfDoc>" + selfDoc +
         "</SelfDoc><Default>" + hex + "</Default></NV>\n";
}

// A catalogue file whose one device holds `points` data points.
std::string Entry(int points) {
  const int nvs = points / 2;
  const int cps = points - nvs;
  std::string objects = "0";
  for (int i = 1; i < kObjects; ++i) objects += "," + std::to_string(8000 + i * 10);
  std::string xml = "<?xml version=\"1.0\"?>\n<C5Devices>\n<C5Device ProgramID=\"P" + std::string(kProgramId) +
                    "\">\n<DevInfo><DeviceCode>BNCH</DeviceCode><SelfDoc>&amp;3.4@" + objects +
                    ";Benchmark device</SelfDoc></DevInfo>\n<CPs>\n";
  for (int i = 0; i < cps; ++i) {
    // Applies to the node, to an object, or to the object of a configuration NV.
    const int appliesTo = i % 3;
    const int select = appliesTo == 2 ? (i % (nvs / 3 + 1)) * 3 : i % kObjects;
    xml += "<CP Index=\"#" + std::to_string(i) + "\" Size=\"" + std::to_string(1 + i % 4) + "\"><Name>" +
           std::to_string(1000 + i) + "|" + std::to_string(appliesTo) + "|0-" + std::to_string(i % 300) + "|" +
           std::to_string(select) + "</Name></CP>\n";
  }
  xml += "</CPs>\n<NCIs>\n";
  for (int i = 0; i < nvs; i += 3) {
    xml += NvElement(i, 1 + i % 4, "&amp;1," + std::to_string(i % kObjects) + ",0,12;config");
  }
  xml += "</NCIs>\n<NVIs>\n";
  for (int i = 1; i < nvs; i += 3) xml += NvElement(i, 2, "@" + std::to_string(i % kObjects) + "|1;input");
  xml += "</NVIs>\n<NVOs>\n";
  for (int i = 2; i < nvs; i += 3) xml += NvElement(i, 2, "@" + std::to_string(i % kObjects) + "#2;output");
  xml += "</NVOs>\n</C5Device>\n</C5Devices>\n";
  return xml;
}

// One catalogue folder per size, made on first use and removed at exit.
struct Catalogues {
  fs::path root = fs::temp_directory_path() / ("vemo-population-bench-" + std::to_string(::getpid()));
  std::map<int, std::string> folders;

  const std::string& Folder(int points) {
    auto found = folders.find(points);
    if (found != folders.end()) return found->second;
    const fs::path folder = root / std::to_string(points);
    fs::create_directories(folder);
    std::ofstream(folder / (std::string(kProgramId) + ".xml")) << Entry(points);
    return folders[points] = folder.string();
  }
  ~Catalogues() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

Catalogues& TheCatalogues() {
  static Catalogues catalogues;
  return catalogues;
}

void BM_PopulateDevice(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  vemo::SetDefaultCatalogFolder("");
  vemo::SetMessageBoxHandler([](const std::string&, const std::string&, int) { return 1; });
  vemo::cFactory factory;
  const auto record = factory.CreateProgIDInfo(kProgramId, TheCatalogues().Folder(points));
  if (!record) {
    state.SkipWithError("the generated entry was not found");
    return;
  }
  // Only population is timed; freeing the node is not part of it.
  for (auto _ : state) {
    auto node = factory.CreateVirtualC472Node(record);
    benchmark::DoNotOptimize(node->PopulateDevice(""));
    state.PauseTiming();
    node.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(points);
  vemo::SetMessageBoxHandler(nullptr);
  vemo::ResetDefaultCatalogFolder();
}

void BM_BareParse(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const std::string file = TheCatalogues().Folder(points) + "/" + kProgramId + ".xml";
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NOENT | XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
  state.SetComplexityN(points);
}

BENCHMARK(BM_PopulateDevice)->RangeMultiplier(2)->Range(1000, 16000)->Arg(8000)->Complexity(benchmark::oNLogN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareParse)->RangeMultiplier(2)->Range(1000, 16000)->Arg(8000)->Complexity(benchmark::oNLogN)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

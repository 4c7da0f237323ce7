// A device-code search that has to read the whole catalogue folder (the code is only in
// the last file), next to a bare libxml2 parse of the same files: the search should cost
// little more than the parsing it cannot avoid.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "vemosupport/cFactory.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 200;
constexpr std::size_t kTargetBytes = 100 * 1024;
constexpr const char* kWantedCode = "9Z9Z";

std::string Hex(unsigned value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*X", width, value);
  return buffer;
}

// One device with configuration properties and network variables, as a real catalogue
// describes them.
std::string DeviceXml(unsigned file, unsigned device, const std::string& code) {
  std::string xml = "  <C5Device ProgramID=\"P9000" + Hex(file, 4) + Hex(device, 4) + "0401\">\n";
  xml += "    <DevInfo>\n      <DeviceCode>" + code + "</DeviceCode>\n      <Model>Model " +
         std::to_string(device) + "</Model>\n      <Description>Generated device " + std::to_string(file) + "." +
         std::to_string(device) + "</Description>\n    </DevInfo>\n    <CPs>\n";
  for (unsigned cp = 0; cp < 24; ++cp) {
    xml += "      <CP Index=\"" + std::to_string(cp) + "\" Size=\"2\" Offset=\"" + std::to_string(cp * 2) +
           "\"><Name>cpSetting" + std::to_string(cp) + "</Name><Default>00 2A</Default></CP>\n";
  }
  xml += "    </CPs>\n    <NVIs>\n";
  for (unsigned nv = 0; nv < 32; ++nv) {
    xml += "      <NV Index=\"" + std::to_string(nv) + "\" Type=\"" + std::to_string(nv % 9 + 1) +
           "\" Direction=\"" + (nv % 2 ? "Output" : "Input") + "\"><Name>nvoValue" + std::to_string(nv) +
           "</Name><SelfDoc>&amp;3.4@0|" + std::to_string(nv) + "</SelfDoc></NV>\n";
  }
  xml += "    </NVIs>\n  </C5Device>\n";
  return xml;
}

// About kTargetBytes of devices; only in the file that holds it does the last device
// carry the wanted code.
std::string CatalogueFile(unsigned file, bool holdsWanted) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<C5Devices>\n";
  std::string device;
  for (unsigned index = 0; xml.size() + device.size() < kTargetBytes; ++index) {
    xml += device;
    device = DeviceXml(file, index, "A" + Hex((file * 32 + index) & 0xFFF, 3));
    if (holdsWanted && xml.size() + device.size() >= kTargetBytes) device = DeviceXml(file, index, kWantedCode);
  }
  return xml + device + "</C5Devices>\n";
}

// The generated folder, made once for every benchmark of the run.
class Folder {
 public:
  Folder() {
    path_ = (fs::temp_directory_path() / ("vemo-bench-" + std::to_string(::getpid()))).string();
    fs::remove_all(path_);
    fs::create_directories(path_);
    for (unsigned i = 0; i < kFiles; ++i) {
      const std::string name = path_ + "/catalogue" + Hex(i, 3) + ".xml";
      std::ofstream(name, std::ios::binary) << CatalogueFile(i, i + 1 == kFiles);
      files_.push_back(name);
    }
  }
  ~Folder() { fs::remove_all(path_); }
  const std::string& path() const { return path_; }
  const std::vector<std::string>& files() const { return files_; }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

Folder* g_folder = nullptr;

void BM_SearchByDeviceCode(benchmark::State& state) {
  vemo::cFactory factory;
  for (auto _ : state) {
    const auto record = factory.CreateProgIDInfo(kWantedCode, g_folder->path());
    if (!record || record->XMLFilename() != g_folder->files().back()) {
      state.SkipWithError("the device code was not found in the last file");
      break;
    }
    benchmark::DoNotOptimize(record);
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_SearchByDeviceCode)->Unit(benchmark::kMillisecond);

void BM_BareLibxml2Parse(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& file : g_folder->files()) {
      xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NOENT | XML_PARSE_NONET);
      if (doc == nullptr) {
        state.SkipWithError("a generated file did not parse");
        return;
      }
      xmlFreeDoc(doc);
    }
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_BareLibxml2Parse)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  xmlInitParser();
  {
    Folder folder;
    g_folder = &folder;
    benchmark::RunSpecifiedBenchmarks();
    g_folder = nullptr;
  }
  benchmark::Shutdown();
  xmlCleanupParser();
  return 0;
}

// Device-code lookups in a folder where only the last file holds the code: cold (the
// index empty), warm (another code of the same unchanged folder), and the plain scan
// that loads every file, next to a bare libxml2 parse of the same files, a SAX pass
// with no callbacks, and reading and hashing every file (what a warm lookup must do to
// know that no file changed). On 200 and 2,000 files of about 100 KB.
//
// Run with --benchmark_repetitions=N --benchmark_enable_random_interleaving=true and
// compare medians. BM_PeakMemory reports, from child processes, the peak memory of a
// cold lookup, of the plain scan and of one document of the largest file, and the
// bytes the index keeps for the folder.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "peak_memory.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/catalogue.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kTargetBytes = 100 * 1024;
constexpr const char* kWantedCode = "9Z9Z";
constexpr const char* kOtherWantedCode = "8Y8Y";  // also in the last file, one device earlier

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

// About kTargetBytes of devices; in the file that holds them, the last two devices
// carry the two wanted codes.
std::string CatalogueFile(unsigned file, bool holdsWanted) {
  std::vector<std::string> devices;
  std::size_t size = 0;
  for (unsigned index = 0; size < kTargetBytes; ++index) {
    devices.push_back(DeviceXml(file, index, "A" + Hex((file * 32 + index) & 0xFFF, 3)));
    size += devices.back().size();
  }
  if (holdsWanted) {
    const auto last = static_cast<unsigned>(devices.size() - 1);
    devices[last - 1] = DeviceXml(file, last - 1, kOtherWantedCode);
    devices[last] = DeviceXml(file, last, kWantedCode);
  }
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<C5Devices>\n";
  for (const std::string& device : devices) xml += device;
  return xml + "</C5Devices>\n";
}

class Folder {
 public:
  explicit Folder(unsigned files) {
    path_ = (fs::temp_directory_path() / ("vemo-lookup-bench-" + std::to_string(::getpid()) + "-" +
                                          std::to_string(files))).string();
    fs::remove_all(path_);
    fs::create_directories(path_);
    for (unsigned i = 0; i < files; ++i) {
      const std::string name = path_ + "/catalogue" + Hex(i, 4) + ".xml";
      std::ofstream(name, std::ios::binary) << CatalogueFile(i, i + 1 == files);
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

std::map<long, Folder*> g_folders;

const Folder& FolderFor(const benchmark::State& state) { return *g_folders.at(state.range(0)); }

bool Finds(vemo::cFactory& factory, const Folder& folder, const char* code) {
  const auto record = factory.CreateProgIDInfo(code, folder.path());
  return record && record->XMLFilename() == folder.files().back();
}

void ForgetTheIndex() {
  vemo::SetCatalogueIndexEnabled(false);
  vemo::SetCatalogueIndexEnabled(true);
}

// The index empty before every lookup.
void BM_ColdLookup(benchmark::State& state) {
  const Folder& folder = FolderFor(state);
  vemo::cFactory factory;
  for (auto _ : state) {
    state.PauseTiming();
    ForgetTheIndex();
    state.ResumeTiming();
    if (!Finds(factory, folder, kWantedCode)) state.SkipWithError("the code was not found in the last file");
  }
}

// A second code of the same unchanged folder, the index made by an earlier lookup.
void BM_WarmLookup(benchmark::State& state) {
  const Folder& folder = FolderFor(state);
  vemo::cFactory factory;
  ForgetTheIndex();
  if (!Finds(factory, folder, kWantedCode)) state.SkipWithError("the code was not found in the last file");
  for (auto _ : state) {
    if (!Finds(factory, folder, kOtherWantedCode)) state.SkipWithError("the code was not found in the last file");
  }
}

// Every file loaded in full, as without the index.
void BM_PlainDomLookup(benchmark::State& state) {
  const Folder& folder = FolderFor(state);
  vemo::cFactory factory;
  vemo::SetCatalogueIndexEnabled(false);
  for (auto _ : state) {
    if (!Finds(factory, folder, kWantedCode)) state.SkipWithError("the code was not found in the last file");
  }
  vemo::SetCatalogueIndexEnabled(true);
}

void BM_BareLibxml2Parse(benchmark::State& state) {
  const Folder& folder = FolderFor(state);
  for (auto _ : state) {
    for (const std::string& file : folder.files()) {
      xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NOENT | XML_PARSE_NONET);
      if (doc == nullptr) return state.SkipWithError("a generated file did not parse");
      xmlFreeDoc(doc);
    }
  }
}

void BM_SaxPassWithoutCallbacks(benchmark::State& state) {
  const Folder& folder = FolderFor(state);
  for (auto _ : state) {
    for (const std::string& file : folder.files()) {
      xmlParserCtxtPtr context = xmlNewParserCtxt();
      *context->sax = xmlSAXHandler{};
      context->sax->initialized = XML_SAX2_MAGIC;
      xmlDocPtr doc = xmlCtxtReadFile(context, file.c_str(), nullptr, XML_PARSE_NOENT | XML_PARSE_NONET);
      const bool wellFormed = context->wellFormed != 0;
      if (doc != nullptr) xmlFreeDoc(doc);
      xmlFreeParserCtxt(context);
      if (!wellFormed) return state.SkipWithError("a generated file did not parse");
    }
  }
}

// The content check of a warm lookup alone: every file read whole into one reused
// buffer and hashed.
void BM_ReadAndHashEveryFile(benchmark::State& state) {
  const Folder& folder = FolderFor(state);
  std::vector<char> bytes(4 * kTargetBytes);
  for (auto _ : state) {
    for (const std::string& file : folder.files()) {
      const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
      const ssize_t got = fd < 0 ? -1 : ::read(fd, bytes.data(), bytes.size());
      if (fd >= 0) ::close(fd);
      if (got < 0) return state.SkipWithError("a generated file could not be read");
      benchmark::DoNotOptimize(XXH3_128bits(bytes.data(), static_cast<std::size_t>(got)));
    }
  }
}

#define LOOKUP_BENCHMARK(name) BENCHMARK(name)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond)
LOOKUP_BENCHMARK(BM_ColdLookup);
LOOKUP_BENCHMARK(BM_WarmLookup);
LOOKUP_BENCHMARK(BM_PlainDomLookup);
LOOKUP_BENCHMARK(BM_BareLibxml2Parse);
LOOKUP_BENCHMARK(BM_SaxPassWithoutCallbacks);
LOOKUP_BENCHMARK(BM_ReadAndHashEveryFile);

// --- Peak memory ---------------------------------------------------------------------

void BM_PeakMemory(benchmark::State& state) {
  const Folder& folder = FolderFor(state);
  std::string largest;
  for (const std::string& file : folder.files()) {
    if (largest.empty() || fs::file_size(file) > fs::file_size(largest)) largest = file;
  }
  long coldScan = 0, plainScan = 0, oneDocument = 0;
  double indexBytes = 0;
  for (auto _ : state) {
    coldScan = vemo::bench::PeakRiseKilobytes([&] {
      ForgetTheIndex();
      vemo::cFactory factory;
      (void)Finds(factory, folder, kWantedCode);
    });
    plainScan = vemo::bench::PeakRiseKilobytes([&] {
      vemo::SetCatalogueIndexEnabled(false);
      vemo::cFactory factory;
      (void)Finds(factory, folder, kWantedCode);
    });
    oneDocument = vemo::bench::PeakRiseKilobytes([&] {
      xmlDocPtr doc = xmlReadFile(largest.c_str(), nullptr, XML_PARSE_NOENT | XML_PARSE_NONET);
      xmlFreeDoc(doc);
    });
    // What the index keeps: the heap in use after a cold lookup, against before it.
    ForgetTheIndex();
    vemo::cFactory factory;
    (void)Finds(factory, folder, kOtherWantedCode);  // the library's first-use allocations
    ForgetTheIndex();
    const std::size_t before = mallinfo2().uordblks;
    (void)Finds(factory, folder, kWantedCode);
    indexBytes = static_cast<double>(mallinfo2().uordblks) - static_cast<double>(before);
  }
  state.counters["cold_scan_peak_KiB"] = static_cast<double>(coldScan);
  state.counters["plain_scan_peak_KiB"] = static_cast<double>(plainScan);
  state.counters["one_document_peak_KiB"] = static_cast<double>(oneDocument);
  state.counters["index_KiB"] = indexBytes / 1024;
}
BENCHMARK(BM_PeakMemory)->Arg(200)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  xmlInitParser();
  {
    Folder small(200), large(2000);
    g_folders = {{200, &small}, {2000, &large}};
    benchmark::RunSpecifiedBenchmarks();
    g_folders.clear();
  }
  benchmark::Shutdown();
  xmlCleanupParser();
  return 0;
}

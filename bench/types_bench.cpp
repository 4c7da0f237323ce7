// Decoding the values of the real devices (../shared/realdata/xif, or the folder that
// VEMO_REALDATA names plus /xif) against populating the same devices.
//
//   BM_PopulateAll         for every imported device: catalogue lookup, new node,
//                          PopulateDevice with its configuration file
//   BM_DecodeAll           for every populated node: each NV and CP of a standard type,
//                          its type looked up, its value read and decoded
//   BM_DecodeAndFormatAll  the same, and each value formatted as text
//
// The claim: decoding every value costs at most a tenth of populating the devices.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "vemosupport/vemosupport.h"
#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/importer.h"
#include "real_devices.h"

namespace {

using namespace vemo::bench;

const WrittenDevices& Written() {
  static const WrittenDevices written("vemo-types-bench");
  return written;
}

std::shared_ptr<vemo::I709Node> Populate(vemo::cFactory& factory, const WrittenDevice& device) {
  auto node = factory.CreateVirtualC472Node(factory.CreateProgIDInfo(device.programId, device.folder));
  if (!node) return nullptr;
  node->PopulateDevice(device.kiv);
  return std::dynamic_pointer_cast<vemo::I709Node>(node);
}

// Silences message boxes and keeps lookups in the written folders.
struct QuietHost {
  QuietHost() {
    vemo::SetDefaultCatalogFolder((Written().root / "no-default-folder").string());
    vemo::SetMessageBoxHandler([](const std::string&, const std::string&, int) { return vemo::kMbResultOk; });
  }
  ~QuietHost() {
    vemo::SetMessageBoxHandler(nullptr);
    vemo::ResetDefaultCatalogFolder();
  }
};

void BM_PopulateAll(benchmark::State& state) {
  if (SkipWithoutData(state)) return;
  QuietHost quiet;
  vemo::cFactory factory;
  for (auto _ : state) {
    for (const WrittenDevice& device : Written().devices) benchmark::DoNotOptimize(Populate(factory, device));
  }
  state.counters["devices"] = static_cast<double>(Written().devices.size());
}

// A data point whose value can be read, with its node.
struct Point {
  std::shared_ptr<vemo::I709Node> node;
  std::shared_ptr<vemo::I709NetworkVariable> nv;
  std::shared_ptr<vemo::I709ConfigurationProperty> cp;
};

// Every NV and CP of every populated device whose value reads without an error.
std::vector<Point> Points() {
  QuietHost quiet;
  vemo::cFactory factory;
  std::vector<Point> points;
  for (const WrittenDevice& device : Written().devices) {
    const auto node = Populate(factory, device);
    if (!node) continue;
    const auto nvs = node->NetworkVariables();
    for (std::int32_t i = 1; i <= nvs->Count(); ++i) {
      const auto nv = nvs->Item(vemo::Variant(i));
      try {
        nv->Value();
        points.push_back({node, nv, nullptr});
      } catch (const vemo::AutomationError&) {
      }
    }
    const auto cps = node->ConfigurationProperties();
    for (std::int32_t i = 1; i <= cps->Count(); ++i) {
      const auto cp = cps->Item(vemo::Variant(i));
      try {
        cp->Value();
        points.push_back({node, nullptr, cp});
      } catch (const vemo::AutomationError&) {
      }
    }
  }
  return points;
}

template <bool kFormat>
void Decode(benchmark::State& state) {
  if (SkipWithoutData(state)) return;
  const std::vector<Point> points = Points();
  std::size_t decoded = 0;
  for (auto _ : state) {
    decoded = 0;
    for (const Point& point : points) {
      const std::optional<vemo::DataType> type = point.nv ? vemo::TypeOf(*point.nv) : vemo::TypeOf(*point.cp, *point.node);
      if (!type) continue;
      const vemo::Variant value = point.nv ? point.nv->Value() : point.cp->Value();
      const vemo::ByteArray* bytes = value.AsBytes();
      if (!bytes || bytes->Count() != type->Size()) continue;
      const vemo::Value decodedValue = vemo::Decode(*type, bytes->bytes);
      if constexpr (kFormat) benchmark::DoNotOptimize(vemo::Format(decodedValue));
      benchmark::DoNotOptimize(decodedValue);
      ++decoded;
    }
  }
  state.counters["points"] = static_cast<double>(points.size());
  state.counters["decoded"] = static_cast<double>(decoded);
}

void BM_DecodeAll(benchmark::State& state) { Decode<false>(state); }
void BM_DecodeAndFormatAll(benchmark::State& state) { Decode<true>(state); }

BENCHMARK(BM_PopulateAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndFormatAll)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

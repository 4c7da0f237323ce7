// A virtual node populated from a fuzzed catalogue entry, then walked the way a service
// tool walks it: every NV and CP value read and written back, every LonMark object
// visited.
//
// An input that holds a whole catalogue ("<C5Devices") is the file as it is; any other
// input is the inside of one device entry (its CPs, NCIs, NVIs and NVOs sections),
// which gets a device-information part of its own unless it brings one.

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/cFactory.h"
#include "fuzz_support.h"
#include "node/C472VirtualNode.h"

namespace {

using namespace vemo;

constexpr const char* kEntryProgramId = "80000A1B2C3D0401";
// Entity expansion that stays quick under the sanitizers (see ExpandsBeyond).
constexpr std::size_t kMaxExpansion = 128 * 1024;

std::string CatalogueFor(std::string_view text) {
  if (text.find("<C5Devices") != std::string_view::npos) return std::string(text);
  std::string file = "<?xml version=\"1.0\"?>\n<C5Devices><C5Device ProgramID=\"P";
  file += kEntryProgramId;
  file += "\">";
  if (text.find("<DevInfo") == std::string_view::npos) {
    // Objects 1 to 3 exist, so data points can land in them.
    file += "<DevInfo><DeviceCode>FZ01</DeviceCode><SelfDoc>&amp;3.4@0,8020Fan,8060Zone,8110;fuzz</SelfDoc></DevInfo>";
  }
  file.append(text);
  file += "</C5Device></C5Devices>\n";
  return file;
}

// A value read, written back unchanged and read again must come back the same.
template <class Point>
void ReadAndWriteBack(Point& point) {
  const auto value = fuzz::Attempt([&] { return point.Value(); });
  if (!value) return;
  if (!fuzz::Tolerate([&] { point.Value(*value); })) return;
  const auto again = fuzz::Attempt([&] { return point.Value(); });
  fuzz::Require(again && again->AsBytes() && value->AsBytes() && *again->AsBytes() == *value->AsBytes(),
                "a value written back reads the same");
}

template <class Collection>
void WalkPoints(const std::shared_ptr<Collection>& points) {
  if (!points) return;
  const std::shared_ptr<Enumerator> members = points->NewEnum();
  while (const auto member = members->Next()) {
    const ObjectPtr object = member->AsObject();
    if (const auto nv = std::dynamic_pointer_cast<I709NetworkVariable>(object)) {
      (void)nv->Name(), (void)nv->Comment(), (void)nv->Length(), (void)nv->Index();
      ReadAndWriteBack(*nv);
    } else if (const auto cp = std::dynamic_pointer_cast<I709ConfigurationProperty>(object)) {
      (void)cp->Name(), (void)cp->ElementSize(), (void)cp->CPType(), (void)cp->StandardType();
      ReadAndWriteBack(*cp);
    }
  }
}

void WalkNode(C472VirtualNode& node) {
  WalkPoints(node.NetworkVariables());
  WalkPoints(node.ConfigurationProperties());
  const auto objects = fuzz::Attempt([&] { return node.ObjectCount(); });
  if (!objects) return;
  for (std::int16_t index = -1; index < *objects; ++index) {
    std::string name;
    std::int16_t type = 0;
    std::int32_t resource = 0;
    const auto object = fuzz::Attempt([&] { return node.GetObject(index, name, type, resource); });
    if (!object) continue;
    const auto lm = std::dynamic_pointer_cast<I709LMObject>(object->AsObject());
    if (!lm) continue;
    (void)lm->Description(), (void)lm->Name();
    (void)fuzz::Attempt([&] { return lm->PrimaryNV(); });
    WalkPoints(lm->NetworkVariables());
    WalkPoints(lm->ConfigurationProperties());
  }
  (void)fuzz::Attempt([&] { return node.Comment(); });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzz::InitializeQuietly(); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  if (fuzz::ExpandsBeyond(text, kMaxExpansion)) return 0;
  const std::string file = CatalogueFor(text);
  fuzz::WriteWorkFile("catalogue.xml", file);
  const std::string programId = fuzz::BytesAfter(file, "ProgramID=\"P", 16).value_or(kEntryProgramId);

  cFactory factory;
  const auto info = fuzz::Attempt([&] { return factory.CreateProgIDInfo(programId, fuzz::WorkFolder::Path()); });
  if (!info || !*info) return 0;
  const auto node = std::dynamic_pointer_cast<C472VirtualNode>(factory.CreateVirtualC472Node(*info));
  fuzz::Require(node != nullptr, "a record makes a node");
  const auto populated = fuzz::Attempt([&] { return node->PopulateDevice(""); });
  WalkNode(*node);
  // A second call builds nothing new and must agree with the first.
  if (populated) {
    const auto again = fuzz::Attempt([&] { return node->PopulateDevice(""); });
    fuzz::Require(again && *again == *populated, "a second PopulateDevice answers as the first");
  }
  return 0;
}

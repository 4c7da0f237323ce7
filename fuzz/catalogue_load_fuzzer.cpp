// The input as a catalogue file, looked up the three ways a caller can: by program ID,
// by device code, and as a configuration record; every record found is read through.

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/IVemoProgIDConfigInfo.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/IVemoProgIDItem.h"
#include "vemosupport/cFactory.h"
#include "fuzz_support.h"

namespace {

using namespace vemo;

// IDs the seeds use when the input names none of its own.
constexpr const char* kFallbackProgramId = "9A10C0DE00010401";
constexpr const char* kFallbackDeviceCode = "ZC41";
// Entity expansion that stays quick under the sanitizers (see ExpandsBeyond).
constexpr std::size_t kMaxExpansion = 128 * 1024;

// Reads every item by position (one past each end too) and by its own name, and
// enumerates them: what a caller listing a record does.
template <class Record>
void ReadItems(const Record& record) {
  const std::int32_t count = record.Count();
  for (std::int32_t position = 0; position <= count + 1; ++position) {
    const auto item = fuzz::Attempt([&] { return record.Item(Variant(position)); });
    if (!item || !*item) continue;
    const std::string name = (*item)->Name();
    (void)(*item)->Value();
    (void)fuzz::Attempt([&] { return record.Item(Variant(name)); });
  }
  const std::shared_ptr<Enumerator> items = record.NewEnum();
  std::int32_t seen = 0;
  while (const auto next = items->Next()) ++seen;
  fuzz::Require(seen == count, "an enumeration yields Count items");
}

void ReadDeviceRecord(const std::shared_ptr<IVemoProgIDInfo>& info) {
  if (!info) return;
  (void)info->ProgramID(), (void)info->XMLFilename(), (void)info->IsValid();
  (void)info->DeviceCode(), (void)info->DeviceType(), (void)info->DeviceTypeEx();
  (void)info->Has472Plugin(), (void)info->IsHostBased(), (void)info->IsNeuronBased();
  (void)info->IsHybridBased(), (void)info->SupportsFlash(), (void)info->SupportsOfflineEdit();
  (void)info->PluginVersion(), (void)info->Manufacturer(), (void)info->SelfDoc();
  (void)info->FirmwareVersion(), (void)info->ImgBlockSize();
  ReadItems(*info);
}

void ReadConfigRecord(const std::shared_ptr<IVemoProgIDConfigInfo>& info) {
  if (!info) return;
  (void)info->ProgramID(), (void)info->XMLFilename(), (void)info->IsValid();
  (void)info->Level(), (void)info->Data();
  ReadItems(*info);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzz::InitializeQuietly(); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  if (fuzz::ExpandsBeyond(text, kMaxExpansion)) return 0;
  fuzz::WriteWorkFile("catalogue.xml", text);
  const std::string& folder = fuzz::WorkFolder::Path();
  // Look up what the file itself names, so mutations of a seed keep finding its entry.
  const std::string programId = fuzz::BytesAfter(text, "ProgramID=\"P", 16).value_or(kFallbackProgramId);
  const std::string deviceCode = fuzz::BytesAfter(text, "<DeviceCode>", 4).value_or(kFallbackDeviceCode);

  cFactory factory;
  if (const auto info = fuzz::Attempt([&] { return factory.CreateProgIDInfo(programId, folder); })) {
    ReadDeviceRecord(*info);
  }
  if (const auto info = fuzz::Attempt([&] { return factory.CreateProgIDInfo(deviceCode, folder); })) {
    ReadDeviceRecord(*info);
  }
  if (const auto info = fuzz::Attempt([&] { return factory.CreateProgIDConfigInfo(programId, folder); })) {
    ReadConfigRecord(*info);
  }
  return 0;
}

#pragma once

// The names of a catalogue file's elements and attributes, the one place that the
// lookup, the records, population, the check and the importer take them from.

namespace vemo::names {

inline constexpr const char* kCatalogueRoot = "C5Devices";
inline constexpr const char* kDevice = "C5Device";

// The device element's attributes that a device-information record reads.
inline constexpr const char* kProgramId = "ProgramID";
inline constexpr const char* kImgBlockSize = "ImgBlockSize";
inline constexpr const char* kIsHostBased = "IsHostBased";
inline constexpr const char* kIsHybridBased = "IsHybridBased";
inline constexpr const char* kIsNeuronBased = "IsNeuronBased";
inline constexpr const char* kSupportsFlash = "SupportsFlash";
inline constexpr const char* kHas472Plugin = "Has472Plugin";
inline constexpr const char* kSupportsOffline = "SupportsOffline";
inline constexpr const char* kDeviceAttributes[] = {kProgramId,     kImgBlockSize,  kIsHostBased,  kIsHybridBased,
                                                    kIsNeuronBased, kSupportsFlash, kHas472Plugin, kSupportsOffline};

// "DevInfo" and the children of it that the record reads, in the order an entry holds them.
inline constexpr const char* kDevInfo = "DevInfo";
inline constexpr const char* kDeviceCode = "DeviceCode";
inline constexpr const char* kDeviceType = "DeviceType";
inline constexpr const char* kDeviceTypeEx = "DeviceTypeEx";
inline constexpr const char* kManufacturer = "Manufacturer";
inline constexpr const char* kPluginRev = "PluginRev";
inline constexpr const char* kFirmRev = "FirmRev";
inline constexpr const char* kSelfDoc = "SelfDoc";
inline constexpr const char* kDevInfoValues[] = {kDeviceCode, kDeviceType, kDeviceTypeEx, kManufacturer,
                                                 kPluginRev,  kFirmRev,    kSelfDoc};

// "ConfigInfo" and what the configuration-information record reads of it.
inline constexpr const char* kConfigInfo = "ConfigInfo";
inline constexpr const char* kLevel = "Level";
inline constexpr const char* kData = "Data";

// The data-point sections of an entry and their members.
inline constexpr const char* kCpSection = "CPs";
inline constexpr const char* kConfigNvSection = "NCIs";
inline constexpr const char* kInputNvSection = "NVIs";
inline constexpr const char* kOutputNvSection = "NVOs";
inline constexpr const char* kCp = "CP";
inline constexpr const char* kNv = "NV";

}  // namespace vemo::names

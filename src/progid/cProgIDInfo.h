#pragma once

#include <cstdint>
#include <string>

#include "vemosupport/IVemoProgIDInfo.h"
#include "platform/xml_dom.h"
#include "progid/ProgIDRecord.h"

namespace vemo {

// The device-information record, filled once from a catalogue device element.
class cProgIDInfo : public ProgIDRecord<IVemoProgIDInfo> {
 public:
  std::string DeviceCode() const override { return m_sDeviceCode; }
  std::string DeviceType() const override { return m_sDeviceType; }
  std::string DeviceTypeEx() const override { return m_sDeviceTypeEx; }
  bool Has472Plugin() const override { return m_bHas472Plugin; }
  bool IsHostBased() const override { return m_bIsHostBased; }
  bool IsNeuronBased() const override { return m_bIsNeuronBased; }
  std::string PluginVersion() const override { return m_sPluginVersion; }
  std::string Manufacturer() const override { return m_sManufacturer; }
  std::string SelfDoc() const override { return m_sSelfDoc; }
  bool SupportsFlash() const override { return m_bSupportsFlash; }
  bool SupportsOfflineEdit() const override { return m_bSupportsOfflineEdit; }
  std::string FirmwareVersion() const override { return m_sFirmwareVersion; }
  bool IsHybridBased() const override { return m_bIsHybridBased; }
  std::int32_t ImgBlockSize() const override { return m_lImgBlockSize; }

  // Component-internal: fills the record from a device element and the path of its
  // file. The entry is valid when exactly the 15 recognised values were read. A device
  // element without "DevInfo" raises error 91 after its attributes are read.
  void LoadDeviceEntry(const platform::XmlNode& oDevice, const std::string& sXMLFilename);

 private:
  void ReadAttribute(const platform::XmlAttribute& attribute, std::int32_t& count);
  void ReadDevInfoElement(const std::string& name, const std::string& value, std::int32_t& count);

  std::string m_sDeviceCode;
  std::string m_sDeviceType;
  std::string m_sDeviceTypeEx;
  std::string m_sManufacturer;
  std::string m_sPluginVersion;
  std::string m_sFirmwareVersion;
  std::string m_sSelfDoc;
  bool m_bHas472Plugin = false;
  bool m_bIsHostBased = false;
  bool m_bIsNeuronBased = false;
  bool m_bIsHybridBased = false;
  bool m_bSupportsFlash = false;
  std::int32_t m_lImgBlockSize = 0;
  bool m_bSupportsOfflineEdit = false;
};

}  // namespace vemo

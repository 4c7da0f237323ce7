#pragma once

#include <cstdint>
#include <string>

#include "vemosupport/IVemoProgIDConfigInfo.h"
#include "platform/xml_dom.h"
#include "progid/ProgIDRecord.h"

namespace vemo {

// The configuration-information record, filled once from a catalogue device element.
class cProgIDConfigInfo : public ProgIDRecord<IVemoProgIDConfigInfo> {
 public:
  std::int16_t Level() const override { return m_nLevel; }
  std::string Data() const override { return m_sData; }

  // Component-internal: fills the record from a device element (may be nothing) and
  // the path of its file. Never raises; valid when exactly one "Level" attribute and
  // one "Data" element of "ConfigInfo" were read.
  void LoadConfigEntry(const platform::XmlNode& oDevice, const std::string& sXMLFilename);

 private:
  std::int16_t m_nLevel = 0;
  std::string m_sData;
};

}  // namespace vemo

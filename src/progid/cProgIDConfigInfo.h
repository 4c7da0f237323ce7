#pragma once

#include <cstdint>
#include <string>

#include "interfaces/IVemoProgIDConfigInfo.h"
#include "platform/xml_dom.h"
#include "progid/item_list.h"

namespace vemo {

// The configuration-information record, filled once from a catalogue device element.
class cProgIDConfigInfo : public IVemoProgIDConfigInfo {
 public:
  std::string ProgramID() const override { return m_sProgramID; }
  std::string XMLFilename() const override { return m_sXMLFilename; }
  bool IsValid() const override { return m_bIsValid; }
  std::int32_t Count() const override { return m_colItems.Count(); }
  std::shared_ptr<Enumerator> NewEnum() const override { return m_colItems.NewEnum(); }
  std::shared_ptr<IVemoProgIDItem> Item(const Variant& vIndex) const override { return m_colItems.Item(vIndex); }
  std::int16_t Level() const override { return m_nLevel; }
  std::string Data() const override { return m_sData; }

  // Component-internal: fills the record from a device element (may be nothing) and
  // the path of its file. Never raises; valid when exactly one "Level" attribute and
  // one "Data" element of "ConfigInfo" were read.
  void LoadConfigEntry(const platform::XmlNode& oDevice, const std::string& sXMLFilename);

 private:
  std::string m_sProgramID;
  std::int16_t m_nLevel = 0;
  std::string m_sData;
  std::string m_sXMLFilename;
  bool m_bIsValid = false;
  ItemList m_colItems;
};

}  // namespace vemo

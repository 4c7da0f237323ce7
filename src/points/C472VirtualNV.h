#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/IC472VirtualObj.h"
#include "vemosupport/IVemoDataPointLayout.h"
#include "vemosupport/byte_array.h"
#include "platform/xml_dom.h"
#include "points/ConfigDataBlock.h"
#include "points/point_rejection.h"

namespace vemo {

// One network variable of a virtual node, built from an "NV" catalogue element. A
// configuration NV keeps its value in the node's configuration data block; any other
// NV holds its own bytes.
class C472VirtualNV : public I709NetworkVariable, public IC472VirtualObj, public IVemoDataPointLayout {
 public:
  // I709NetworkVariable
  std::string Comment() const override { return m_sSelfDoc; }
  std::int16_t Index() const override { return m_nIndex; }
  bool IsConfigurationVariable() const override { return m_bIsConfig; }
  std::int16_t Length() const override { return m_nLength; }
  std::string Name() const override { return m_sName; }
  std::int16_t NVType() const override { return m_nNVType; }
  bool UpdateWhenSoftOffline() const override { return false; }
  // Errors: 422 for a configuration NV without storage; 5 from the block.
  Variant Value() const override;
  // Errors: 5 "Expecting byte array as input!" for anything but a byte array; 5 for a
  // non-configuration NV given another number of bytes than its length; 422 for a
  // configuration NV without storage; 5 from the block.
  void Value(const Variant& NVValue) override;

  // IC472VirtualObj
  std::int32_t LMObjectID() const override { return m_lLMObjectID; }
  void LMObjectID(std::int32_t lID) override { m_lLMObjectID = lID; }
  std::string SelectData() const override { return m_sSelectData; }

  // IVemoDataPointLayout
  std::string Section() const override { return m_sSection; }
  std::int32_t BlockOffset() const override { return HasStorage() ? m_lDataOffset : -1; }

  // Component-internal members.
  std::int16_t AppliesTo() const { return m_nAppliesTo; }
  // Names the catalogue section the NV was read from.
  void SetSection(std::string sSection) { m_sSection = std::move(sSection); }
  // Fills the NV from its element's parts and parses the self-documentation string. A
  // string with the wrong first character is reported in a message box and the NV is
  // kept; a rejection when the string lacks the parts it needs or a number does not
  // fit, and the NV is then to be discarded.
  PointRejection InitFromXML(std::int16_t nIndex, std::int16_t nLength, std::int16_t nNVType, const platform::XmlNode& oNameNode,
                   const platform::XmlNode& oSelfDocNode, const platform::XmlNode& oDefaultNode, bool bIsConfig);
  // Gives the NV its storage: its own zero bytes, or for a configuration NV the slice of
  // `block` at `lOffset` (advanced by the length); then applies the default.
  void BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset);

 private:
  PointRejection ParseSelfDoc();
  void ReportSelfDocError(std::uint16_t messageId) const;
  bool HasStorage() const { return m_oBlock && m_lDataOffset >= 0; }

  std::int16_t m_nIndex = 0;
  std::int16_t m_nLength = 0;
  std::int16_t m_nNVType = 0;
  std::string m_sName;
  std::string m_sSelfDoc;
  std::string m_sDefault;
  bool m_bIsConfig = false;
  std::int32_t m_lLMObjectID = 0;
  std::int16_t m_nAppliesTo = 0;
  std::string m_sSelectData;
  std::shared_ptr<ConfigDataBlock> m_oBlock;
  std::int32_t m_lDataOffset = -1;
  ByteArray m_abValue;
  std::string m_sSection;
};

}  // namespace vemo

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/IC472VirtualObj.h"
#include "vemosupport/IVemoDataPointLayout.h"
#include "points/ConfigDataBlock.h"
#include "support/catalogue_names.h"

namespace vemo {

// One configuration property of a virtual node, built from a "CP" catalogue element.
// Its value is always a slice of the node's configuration data block.
class C472VirtualCP : public I709ConfigurationProperty,
                     public IC472VirtualObj,
                     public IC472VirtualCP,
                     public IVemoDataPointLayout {
 public:
  // I709ConfigurationProperty
  std::int16_t ElementCount() const override { return 1; }
  std::int16_t ElementSize() const override { return m_nSize; }
  std::string Name() const override { return m_sDefinition; }
  bool StandardType() const override { return m_nStdFlag == 0; }
  std::int16_t CPType() const override { return m_nCPType; }
  // Errors: 422 without storage; 5 from the block.
  Variant Value() const override;
  // Errors, checked in this order: 422 without storage; 5 for anything but a byte
  // array; 5 from the block for a too-short array.
  void Value(const Variant& CPValue) override;

  // IC472VirtualObj
  std::int32_t LMObjectID() const override { return m_lLMObjectID; }
  void LMObjectID(std::int32_t lID) override { m_lLMObjectID = lID; }
  std::string SelectData() const override { return m_sSelectData; }

  // IC472VirtualCP
  std::int32_t Key() const override { return m_lKey; }
  std::int32_t Index() const override { return m_lIndex; }

  // IVemoDataPointLayout
  std::string Section() const override { return names::kCpSection; }
  std::int32_t BlockOffset() const override { return HasStorage() ? m_lDataOffset : -1; }

  // Component-internal members.
  std::int16_t AppliesTo() const { return m_nAppliesTo; }
  // Fills the CP from its definition record "key|applies-to|flag-type|select"; a
  // missing or unreadable field leaves its default. Never fails.
  void InitFromXML(std::int32_t lIndex, std::int16_t nSize, const std::string& sDefinition);
  // Attaches the slice of `block` at `lOffset` and advances it by the size; nothing
  // when there is no block.
  void BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset);

 private:
  bool HasStorage() const { return m_oBlock && m_lDataOffset >= 0; }

  std::int32_t m_lIndex = 0;
  std::int32_t m_lKey = 0;
  std::int16_t m_nSize = 0;
  std::string m_sDefinition;
  std::int16_t m_nAppliesTo = 0;
  std::int16_t m_nStdFlag = 0;
  std::int16_t m_nCPType = 0;
  std::string m_sSelectData;
  std::int32_t m_lLMObjectID = -2;
  std::shared_ptr<ConfigDataBlock> m_oBlock;
  std::int32_t m_lDataOffset = -1;
};

}  // namespace vemo

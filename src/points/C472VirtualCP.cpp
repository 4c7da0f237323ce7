#include "points/C472VirtualCP.h"

#include "vemosupport/automation_error.h"
#include "platform/number_text.h"
#include "points/ConfigDataBlock.h"
#include "platform/text.h"
#include "points/lm_object_id.h"

namespace vemo {

namespace {

template <class Int>
void SetIfFits(Int& field, std::optional<Int> value) {
  if (value) field = *value;
}

}  // namespace

void C472VirtualCP::InitFromXML(std::int32_t lIndex, std::int16_t nSize, const std::string& sDefinition) {
  m_lIndex = lIndex;
  m_nSize = nSize;
  m_sDefinition = sDefinition;
  const std::vector<std::string> fields = SplitText(sDefinition, '|');
  if (fields.size() > 0) SetIfFits(m_lKey, TryRoundToInt32(LeadingNumber(fields[0])));
  if (fields.size() > 1) SetIfFits(m_nAppliesTo, TryRoundToInt16(LeadingNumber(fields[1])));
  if (fields.size() > 2) {
    // "flag-type": the standard-type flag, then the CP type up to any further "-".
    const std::string& field = fields[2];
    const std::size_t dash = field.find('-');
    SetIfFits(m_nStdFlag, TryRoundToInt16(LeadingNumber(field.substr(0, dash))));
    if (dash != std::string::npos) {
      const std::string type = field.substr(dash + 1);
      SetIfFits(m_nCPType, TryRoundToInt16(LeadingNumber(type.substr(0, type.find('-')))));
    }
  }
  if (fields.size() > 3) m_sSelectData = fields[3];
  SetIfFits(m_lLMObjectID, LMObjectIDFor(m_nAppliesTo, m_sSelectData));
}

void C472VirtualCP::BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset) {
  if (!block) return;
  m_oBlock = block;
  m_lDataOffset = lOffset;
  lOffset = NextOffset(lOffset, m_nSize);
}

Variant C472VirtualCP::Value() const {
  if (!HasStorage()) throw AutomationError(err::kNoStorage);
  return Variant(m_oBlock->Read(m_lDataOffset, m_nSize));
}

void C472VirtualCP::Value(const Variant& CPValue) {
  if (!HasStorage()) throw AutomationError(err::kNoStorage);
  const ByteArray* bytes = CPValue.AsBytes();
  if (!bytes) throw AutomationError(err::kInvalidArgument);
  m_oBlock->Write(*bytes, m_lDataOffset, m_nSize);
}

}  // namespace vemo

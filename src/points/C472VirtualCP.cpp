#include "points/C472VirtualCP.h"

#include <optional>
#include <string_view>

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
  // The fields of "key|applies-to|flag-type|select", read in place; an empty record has
  // no fields at all.
  std::string_view rest = sDefinition;
  const auto nextField = [&rest]() -> std::optional<std::string_view> {
    if (rest.data() == nullptr) return std::nullopt;
    const std::size_t bar = rest.find('|');
    const std::string_view field = rest.substr(0, bar);
    rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    return field;
  };
  if (sDefinition.empty()) rest = std::string_view();
  if (const auto key = nextField()) SetIfFits(m_lKey, TryRoundToInt32(LeadingNumber(*key)));
  if (const auto appliesTo = nextField()) SetIfFits(m_nAppliesTo, TryRoundToInt16(LeadingNumber(*appliesTo)));
  if (const auto field = nextField()) {
    // "flag-type": the standard-type flag, then the CP type up to any further "-".
    const std::size_t dash = field->find('-');
    SetIfFits(m_nStdFlag, TryRoundToInt16(LeadingNumber(field->substr(0, dash))));
    if (dash != std::string_view::npos) {
      const std::string_view type = field->substr(dash + 1);
      SetIfFits(m_nCPType, TryRoundToInt16(LeadingNumber(type.substr(0, type.find('-')))));
    }
  }
  if (const auto select = nextField()) m_sSelectData = std::string(*select);
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

#include "points/C472VirtualCPCol.h"

#include "platform/number_text.h"
#include "points/ConfigDataBlock.h"
#include "platform/text.h"
#include "points/insertion_position.h"

namespace vemo {

std::shared_ptr<I709ConfigurationProperty> C472VirtualCPCol::Item(const Variant& vItem) const {
  if (!vItem.IsNumber() && !vItem.IsString() && !vItem.IsEmpty()) return nullptr;
  const std::shared_ptr<C472VirtualCP>* cp = m_colItems.Find(TrimSpaces(vItem.ToText()));
  return cp ? *cp : nullptr;
}

std::shared_ptr<C472VirtualCP> C472VirtualCPCol::AddCP(const platform::XmlNode& oElement) {
  if (!oElement) return nullptr;
  const std::optional<std::string> indexText = oElement.getAttribute("Index");
  const std::optional<std::string> sizeText = oElement.getAttribute("Size");
  const platform::XmlNode name = oElement.selectSingleNode("Name");
  if (!indexText || !sizeText || CharacterCount(*indexText) < 2 || sizeText->empty() || !name) return nullptr;

  // The index follows a one-character prefix.
  const std::optional<std::int32_t> index = TryRoundToInt32(LeadingNumber(WithoutFirstCharacter(*indexText)));
  const std::optional<std::int16_t> size = TryRoundToInt16(LeadingNumber(*sizeText));
  if (!index || !size) return nullptr;
  auto cp = std::make_shared<C472VirtualCP>();
  cp->InitFromXML(*index, *size, name.text());

  const std::optional<std::int32_t> position = InsertionPosition(
      m_colItems.Count(), cp->Index(), [this](std::int32_t p) { return m_colItems.Item(p)->Index(); });
  // A CP whose key is filed already is dropped; the first one stays.
  if (!m_colItems.TryAdd(cp, std::to_string(cp->Key()), position)) return nullptr;
  // A total past 32 bits is not counted; the block then cannot hold every value.
  m_lConfigDataSize = AddBlockBytes(m_lConfigDataSize, cp->ElementSize()).value_or(m_lConfigDataSize);
  return cp;
}

void C472VirtualCPCol::BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset) {
  for (const std::shared_ptr<C472VirtualCP>& cp : m_colItems) cp->BindStorage(block, lOffset);
}

}  // namespace vemo

#include "points/C472VirtualNVCol.h"

#include "platform/number_text.h"
#include "points/ConfigDataBlock.h"
#include "platform/text.h"

namespace vemo {

std::shared_ptr<C472VirtualNV> C472VirtualNVCol::AddNV(const platform::XmlNode& oElement, bool bIsConfig) {
  if (!oElement) return nullptr;
  const std::optional<std::string> indexText = oElement.getAttribute("Index");
  const std::optional<std::string> sizeText = oElement.getAttribute("Size");
  const std::optional<std::string> typeText = oElement.getAttribute("NVType");
  const platform::XmlNode name = oElement.selectSingleNode("Name");
  const platform::XmlNode selfDoc = oElement.selectSingleNode("SelfDoc");
  const platform::XmlNode defaultValue = oElement.selectSingleNode("Default");
  if (!indexText || !sizeText || !typeText || CharacterCount(*indexText) < 2 || sizeText->empty() ||
      typeText->empty() || !name || !selfDoc) {
    return nullptr;
  }

  // The index follows a one-character prefix.
  const std::optional<std::int16_t> index = TryRoundToInt16(LeadingNumber(WithoutFirstCharacter(*indexText)));
  const std::optional<std::int16_t> length = TryRoundToInt16(LeadingNumber(*sizeText));
  const std::optional<std::int16_t> type = TryRoundToInt16(LeadingNumber(*typeText));
  if (!index || !length || !type) return nullptr;
  auto nv = std::make_shared<C472VirtualNV>();
  if (!nv->InitFromXML(*index, *length, *type, name, selfDoc, defaultValue, bIsConfig)) return nullptr;

  const std::optional<std::int32_t> position = InsertionPosition(
      m_colItems.Count(), nv->Index(), [this](std::int32_t p) { return m_colItems.Item(p)->Index(); });
  // An NV whose index is filed already is dropped; the first one stays.
  if (!m_colItems.TryAdd(nv, std::to_string(nv->Index()), position)) return nullptr;
  // A total past 32 bits is not counted; the block then cannot hold every value.
  if (bIsConfig) m_lConfigDataSize = AddBlockBytes(m_lConfigDataSize, nv->Length()).value_or(m_lConfigDataSize);
  return nv;
}

std::shared_ptr<C472VirtualNV> C472VirtualNVCol::Find(const std::string& key) const {
  const std::shared_ptr<C472VirtualNV>* nv = m_colItems.Find(key);
  return nv ? *nv : nullptr;
}

void C472VirtualNVCol::BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset) {
  for (const std::shared_ptr<C472VirtualNV>& nv : m_colItems) nv->BindStorage(block, lOffset);
}

}  // namespace vemo

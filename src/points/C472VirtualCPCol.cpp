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

std::shared_ptr<C472VirtualCP> C472VirtualCPCol::AddCP(const platform::XmlNode& oElement, PointRejection* why) {
  using Reason = PointRejection::Reason;
  const auto reject = [why](PointRejection rejection) -> std::shared_ptr<C472VirtualCP> {
    if (why) *why = std::move(rejection);
    return nullptr;
  };
  if (!oElement) return reject({Reason::kNoElement});
  std::vector<std::string> texts;
  if (PointRejection missing = ReadAttributes(oElement, {"Index", "Size"}, texts)) return reject(std::move(missing));
  const platform::XmlNode name = oElement.selectSingleNode("Name");
  if (!name) return reject({Reason::kNoChild, "Name"});

  // The index follows a one-character prefix.
  const std::optional<std::int32_t> index = TryRoundToInt32(LeadingNumber(WithoutFirstCharacter(texts[0])));
  if (!index) return reject({Reason::kNumberTooLarge, "Index", 32});
  const std::optional<std::int16_t> size = TryRoundToInt16(LeadingNumber(texts[1]));
  if (!size) return reject({Reason::kNumberTooLarge, "Size", 16});
  auto cp = std::make_shared<C472VirtualCP>();
  cp->InitFromXML(*index, *size, name.text());

  const std::optional<std::int32_t> position = InsertionPosition(
      m_colItems.Count(), cp->Index(), [this](std::int32_t p) { return m_colItems.Item(p)->Index(); });
  // A CP whose key is filed already is dropped; the first one stays.
  if (!m_colItems.TryAdd(cp, std::to_string(cp->Key()), position)) return reject({Reason::kFiledAlready, "key"});
  // A total past 32 bits is not counted; the block then cannot hold every value.
  m_lConfigDataSize = AddBlockBytes(m_lConfigDataSize, cp->ElementSize()).value_or(m_lConfigDataSize);
  return cp;
}

void C472VirtualCPCol::BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset) {
  for (const std::shared_ptr<C472VirtualCP>& cp : m_colItems) cp->BindStorage(block, lOffset);
}

}  // namespace vemo

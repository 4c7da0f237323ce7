#include "points/C472VirtualNVCol.h"

#include "platform/number_text.h"
#include "points/ConfigDataBlock.h"
#include "platform/text.h"

namespace vemo {

std::shared_ptr<C472VirtualNV> C472VirtualNVCol::AddNV(const platform::XmlNode& oElement, bool bIsConfig,
                                                       PointRejection* why) {
  using Reason = PointRejection::Reason;
  const auto reject = [why](PointRejection rejection) -> std::shared_ptr<C472VirtualNV> {
    if (why) *why = std::move(rejection);
    return nullptr;
  };
  if (!oElement) return reject({Reason::kNoElement});
  std::vector<std::string> texts;
  if (PointRejection missing = ReadAttributes(oElement, {"Index", "Size", "NVType"}, texts)) {
    return reject(std::move(missing));
  }
  const platform::XmlNode name = oElement.selectSingleNode("Name");
  const platform::XmlNode selfDoc = oElement.selectSingleNode("SelfDoc");
  const platform::XmlNode defaultValue = oElement.selectSingleNode("Default");
  if (!name) return reject({Reason::kNoChild, "Name"});
  if (!selfDoc) return reject({Reason::kNoChild, "SelfDoc"});

  // The index follows a one-character prefix.
  texts[0] = WithoutFirstCharacter(texts[0]);
  std::int16_t numbers[3] = {};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::optional<std::int16_t> number = TryRoundToInt16(LeadingNumber(texts[i]));
    if (!number) return reject({Reason::kNumberTooLarge, i == 0 ? "Index" : i == 1 ? "Size" : "NVType"});
    numbers[i] = *number;
  }
  auto nv = std::make_shared<C472VirtualNV>();
  if (PointRejection bad = nv->InitFromXML(numbers[0], numbers[1], numbers[2], name, selfDoc, defaultValue, bIsConfig)) {
    return reject(std::move(bad));
  }

  const std::optional<std::int32_t> position = InsertionPosition(
      m_colItems.Count(), nv->Index(), [this](std::int32_t p) { return m_colItems.Item(p)->Index(); });
  // An NV whose index is filed already is dropped; the first one stays.
  if (!m_colItems.TryAdd(nv, std::to_string(nv->Index()), position)) return reject({Reason::kFiledAlready, "index"});
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

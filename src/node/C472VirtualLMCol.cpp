#include "node/C472VirtualLMCol.h"

#include <limits>

#include "platform/number_text.h"
#include "platform/text.h"
#include "support/lm_object_types.h"

namespace vemo {

void C472VirtualLMCol::BuildFromSelfDoc(const std::string& sObjectList) {
  if (m_colObjects.Count() >= 1) return;
  const std::vector<std::string> items = SplitText(sObjectList, ',');

  auto device = std::make_shared<C472VirtualLM>();
  device->InitLM(-1, -1, "Device Object");
  m_colObjects.Add(device, "-1");

  // The type carries over from the previous item when an item's number does not fit
  // 16 bits (0 for the first item).
  std::int16_t type = 0;
  const std::size_t limit = std::min<std::size_t>(items.size(), std::numeric_limits<std::int16_t>::max() + 1u);
  for (std::size_t i = 0; i < limit; ++i) {
    const std::string item = TrimSpaces(items[i]);
    std::string number = item;
    std::string name;
    if (!IsNumericText(item)) {
      const std::size_t end = item.find_first_not_of("0123456789");
      number = item.substr(0, end);
      name = end == std::string::npos ? std::string() : item.substr(end);
    }
    if (const std::optional<std::int16_t> value = TryRoundToInt16(LeadingNumber(number))) type = *value;
    if (name.empty()) name = GetLMObjectTypeDesc(type);
    auto object = std::make_shared<C472VirtualLM>();
    object->InitLM(static_cast<std::int16_t>(i), type, name);
    m_colObjects.Add(object, std::to_string(i));
  }
}

std::shared_ptr<C472VirtualLM> C472VirtualLMCol::Find(std::int32_t lmObjectId) const {
  const std::shared_ptr<C472VirtualLM>* object = m_colObjects.Find(std::to_string(lmObjectId));
  return object ? *object : nullptr;
}

void C472VirtualLMCol::LinkCP(const std::shared_ptr<C472VirtualCP>& oCP) {
  if (const std::shared_ptr<C472VirtualLM> object = Find(oCP->LMObjectID())) object->AttachCP(oCP);
}

void C472VirtualLMCol::LinkNV(const std::shared_ptr<C472VirtualNV>& oNV) {
  if (const std::shared_ptr<C472VirtualLM> object = Find(oNV->LMObjectID())) object->AttachNV(oNV);
}

}  // namespace vemo

#include "progid/item_list.h"

namespace vemo {

std::shared_ptr<cProgIDItem> ItemList::Add(const std::string& sName, const std::string& sValue) {
  auto item = std::make_shared<cProgIDItem>();
  item->SetName(sName);
  item->SetValue(sValue);
  if (!m_colItems.TryAdd(item, sName)) m_colItems.Add(item);
  return item;
}

std::optional<std::string> ElementValue(const platform::XmlNode& element) {
  if (!element.hasChildNodes()) return std::string();
  const platform::XmlNode first = element.firstChild();
  if (first.nodeType() != platform::XmlNodeType::Text) return std::nullopt;
  return first.nodeValue();
}

}  // namespace vemo

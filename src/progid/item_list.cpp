#include "progid/item_list.h"

namespace vemo {

std::shared_ptr<cProgIDItem> ItemList::Add(const std::string& sName, const std::string& sValue) {
  auto item = std::make_shared<cProgIDItem>();
  item->SetName(sName);
  item->SetValue(sValue);
  if (!m_colItems.TryAdd(item, sName)) m_colItems.Add(item);
  return item;
}

std::vector<NamedValue> ValuedChildElements(const platform::XmlNode& parent) {
  std::vector<NamedValue> children;
  for (platform::XmlNode child = parent.firstChild(); child; child = child.nextSibling()) {
    if (child.nodeType() != platform::XmlNodeType::Element) continue;
    const platform::XmlNode first = child.firstChild();
    if (!first) {
      children.push_back({child.baseName(), std::string()});
    } else if (first.nodeType() == platform::XmlNodeType::Text) {
      children.push_back({child.baseName(), first.nodeValue()});
    }
  }
  return children;
}

}  // namespace vemo

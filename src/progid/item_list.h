#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/keyed_collection.h"
#include "platform/xml_dom.h"
#include "progid/cProgIDItem.h"

namespace vemo {

// The ordered, keyed list of a record's name/value items. An item whose name is
// already taken (in any letter case) is still listed, without a key, so it is
// reachable by position and enumeration only.
class ItemList {
 public:
  ItemList() = default;
  ~ItemList() { m_colItems.Clear(); }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;

  // Makes an item, lists it and returns it.
  std::shared_ptr<cProgIDItem> Add(const std::string& sName, const std::string& sValue);

  std::int32_t Count() const { return m_colItems.Count(); }
  std::shared_ptr<Enumerator> NewEnum() const { return m_colItems.NewEnum(); }
  std::shared_ptr<IVemoProgIDItem> Item(const Variant& vIndex) const { return m_colItems.Item(vIndex); }

 private:
  KeyedCollection<std::shared_ptr<cProgIDItem>> m_colItems;
};

struct NamedValue {
  std::string name;  // the element's local name
  std::string value;
};

// The child elements of `parent` that have a value, in document order, as records read
// them: an element without child nodes has the empty string, one whose first child is
// a text node has that text, and one whose first child is anything else (CDATA, a
// comment, an element) is left out.
std::vector<NamedValue> ValuedChildElements(const platform::XmlNode& parent);

}  // namespace vemo

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/enumerator.h"
#include "vemosupport/variant.h"
#include "progid/item_list.h"

namespace vemo {

// What the device record and the configuration record share: the program ID and file
// they came from, their verdict on the entry, and their name/value items. `Interface`
// is the record's own interface, which declares these members.
template <class Interface>
class ProgIDRecord : public Interface {
 public:
  std::string ProgramID() const override { return m_sProgramID; }
  std::string XMLFilename() const override { return m_sXMLFilename; }
  bool IsValid() const override { return m_bIsValid; }
  std::int32_t Count() const override { return m_colItems.Count(); }
  std::shared_ptr<Enumerator> NewEnum() const override { return m_colItems.NewEnum(); }
  // A number selects by 1-based position, text by item name (any letter case).
  std::shared_ptr<IVemoProgIDItem> Item(const Variant& vIndex) const override { return m_colItems.Item(vIndex); }

 protected:
  std::string m_sProgramID;
  std::string m_sXMLFilename;
  bool m_bIsValid = false;
  ItemList m_colItems;
};

}  // namespace vemo

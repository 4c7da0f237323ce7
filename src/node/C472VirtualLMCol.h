#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/I709LMObjects.h"
#include "node/C472VirtualLM.h"
#include "platform/keyed_collection.h"

namespace vemo {

// A virtual node's LonMark objects: the device object (key "-1") first, then one
// object per item of the node's object list (keys "0", "1", ...).
class C472VirtualLMCol : public I709LMObjects, public std::enable_shared_from_this<C472VirtualLMCol> {
 public:
  ~C472VirtualLMCol() override { m_colObjects.Clear(); }

  // I709LMObjects: a number selects by position, text by key; errors 9 and 5 reach
  // the caller.
  std::int32_t Count() const override { return m_colObjects.Count(); }
  std::shared_ptr<Enumerator> NewEnum() const override { return m_colObjects.NewEnum(); }
  std::shared_ptr<I709LMObject> Item(const Variant& vItem) const override { return m_colObjects.Item(vItem); }

  // Component-internal members.
  // Builds the device object and one object per comma-separated item of the object
  // list ("3Damper" is type 3 named Damper; an item without a name is named after its
  // type). Only once: a collection that has members stays as it is.
  void BuildFromSelfDoc(const std::string& sObjectList);
  // File a data point in the object its LMObjectID names; nowhere when there is none.
  void LinkCP(const std::shared_ptr<C472VirtualCP>& oCP);
  void LinkNV(const std::shared_ptr<C472VirtualNV>& oNV);
  std::shared_ptr<I709LMObjects> LMObjects() { return shared_from_this(); }

 private:
  std::shared_ptr<C472VirtualLM> Find(std::int32_t lmObjectId) const;

  KeyedCollection<std::shared_ptr<C472VirtualLM>> m_colObjects;
};

}  // namespace vemo

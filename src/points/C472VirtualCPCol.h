#pragma once

#include <cstdint>
#include <memory>

#include "vemosupport/I709ConfigurationProperties.h"
#include "platform/keyed_collection.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualCP.h"
#include "points/point_rejection.h"

namespace vemo {

// All configuration properties of one virtual node, ordered by their Index attribute
// and keyed by their definition key as decimal text.
class C472VirtualCPCol : public I709ConfigurationProperties, public std::enable_shared_from_this<C472VirtualCPCol> {
 public:
  ~C472VirtualCPCol() override { m_colItems.Clear(); }

  // I709ConfigurationProperties
  std::int32_t Count() const override { return m_colItems.Count(); }
  std::shared_ptr<Enumerator> NewEnum() const override { return m_colItems.NewEnum(); }
  // By key only: a number or text, blanks around it removed; nothing when no CP has
  // that key. Never raises.
  std::shared_ptr<I709ConfigurationProperty> Item(const Variant& vItem) const override;

  // Component-internal members.
  // Builds and files the CP of a "CP" element; nothing when the element is rejected
  // (missing or short attributes, no Name child, numbers out of range, a key already
  // filed), and then `why`, when given, says why.
  std::shared_ptr<C472VirtualCP> AddCP(const platform::XmlNode& oElement, PointRejection* why = nullptr);
  // Bytes that all CPs filed so far need in the block.
  std::int32_t ConfigDataSize() const { return m_lConfigDataSize; }
  std::shared_ptr<I709ConfigurationProperties> ConfigurationProperties() { return shared_from_this(); }
  // Gives every CP, in collection order, the next slice of `block` from `lOffset`.
  void BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset);

 private:
  KeyedCollection<std::shared_ptr<C472VirtualCP>> m_colItems;
  std::int32_t m_lConfigDataSize = 0;
};

}  // namespace vemo

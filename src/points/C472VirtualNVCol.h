#pragma once

#include <cstdint>
#include <memory>

#include "vemosupport/I709NetworkVariables.h"
#include "platform/keyed_collection.h"
#include "platform/xml_dom.h"
#include "points/C472VirtualNV.h"
#include "points/insertion_position.h"
#include "points/point_rejection.h"

namespace vemo {

// All network variables of one virtual node, in ascending NV index, each keyed by its
// index as decimal text.
class C472VirtualNVCol : public I709NetworkVariables, public std::enable_shared_from_this<C472VirtualNVCol> {
 public:
  ~C472VirtualNVCol() override { m_colItems.Clear(); }

  // I709NetworkVariables: a number selects by position, text by index; errors 9 and 5
  // reach the caller.
  std::int32_t Count() const override { return m_colItems.Count(); }
  std::shared_ptr<Enumerator> NewEnum() const override { return m_colItems.NewEnum(); }
  std::shared_ptr<I709NetworkVariable> Item(const Variant& vItem) const override { return m_colItems.Item(vItem); }

  // Component-internal members.
  // Builds and files the NV of an "NV" element; nothing when the element is rejected
  // (missing or short attributes, missing Name or SelfDoc, numbers out of range, a
  // self-documentation string without its parts, an index already filed), and then
  // `why`, when given, says why.
  std::shared_ptr<C472VirtualNV> AddNV(const platform::XmlNode& oElement, bool bIsConfig,
                                       PointRejection* why = nullptr);
  // Bytes that the configuration NVs filed so far need in the block.
  std::int32_t ConfigDataSize() const { return m_lConfigDataSize; }
  std::shared_ptr<I709NetworkVariables> NetworkVariables() { return shared_from_this(); }
  // The NV filed under `key`, or nothing; never raises.
  std::shared_ptr<C472VirtualNV> Find(const std::string& key) const;
  // Binds every NV in collection order: configuration NVs take consecutive slices of
  // `block` from `lOffset`, the others their own bytes; each applies its default.
  void BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset);

 private:
  KeyedCollection<std::shared_ptr<C472VirtualNV>> m_colItems;
  std::int32_t m_lConfigDataSize = 0;
};

}  // namespace vemo

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/I709NetworkVariables.h"
#include "platform/keyed_collection.h"
#include "points/C472VirtualCP.h"
#include "points/C472VirtualNV.h"

namespace vemo {

// The CP-collection face of a LonMark object. Its members and the NV face's share
// names, so each face forwards to members of its own name.
class LMObjectCPFace : public I709ConfigurationProperties {
 public:
  std::int32_t Count() const final { return CPCount(); }
  std::shared_ptr<Enumerator> NewEnum() const final { return CPNewEnum(); }
  std::shared_ptr<I709ConfigurationProperty> Item(const Variant& vItem) const final { return CPItem(vItem); }

 protected:
  virtual std::int32_t CPCount() const = 0;
  virtual std::shared_ptr<Enumerator> CPNewEnum() const = 0;
  virtual std::shared_ptr<I709ConfigurationProperty> CPItem(const Variant& vItem) const = 0;
};

// The NV-collection face of a LonMark object.
class LMObjectNVFace : public I709NetworkVariables {
 public:
  std::int32_t Count() const final { return NVCount(); }
  std::shared_ptr<Enumerator> NewEnum() const final { return NVNewEnum(); }
  std::shared_ptr<I709NetworkVariable> Item(const Variant& vItem) const final { return NVItem(vItem); }

 protected:
  virtual std::int32_t NVCount() const = 0;
  virtual std::shared_ptr<Enumerator> NVNewEnum() const = 0;
  virtual std::shared_ptr<I709NetworkVariable> NVItem(const Variant& vItem) const = 0;
};

// One LonMark functional object of a virtual node; at once the collection of the CPs
// and of the NVs filed in it.
class C472VirtualLM : public I709LMObject,
                      public LMObjectCPFace,
                      public LMObjectNVFace,
                      public std::enable_shared_from_this<C472VirtualLM> {
 public:
  ~C472VirtualLM() override;

  // I709LMObject
  std::string Description() const override;
  std::int16_t Index() const override { return m_nIndex; }
  // The object itself seen as a CP collection, once a CP is filed in it; else nothing.
  std::shared_ptr<I709ConfigurationProperties> ConfigurationProperties() const override;
  std::shared_ptr<I709NetworkVariables> NetworkVariables() const override;
  std::string Name() const override { return m_sName; }
  std::shared_ptr<I709NetworkVariable> PrimaryNV() const override { return nullptr; }
  void TestCommand(std::int16_t) override {}
  std::int16_t TestResults() const override { return 0; }
  std::int16_t LMObjectType() const override { return m_nType; }
  // Always error 383: the type is read-only.
  void LMObjectType(std::int16_t value) override;

  // Component-internal members.
  void InitLM(std::int16_t nIndex, std::int16_t nType, const std::string& sName);
  // Files a data point under its key (a CP) or index (an NV); a key already filed
  // leaves the data point out.
  void AttachCP(const std::shared_ptr<C472VirtualCP>& oCP);
  void AttachNV(const std::shared_ptr<C472VirtualNV>& oNV);

 protected:
  std::int32_t CPCount() const override { return m_colCPs ? m_colCPs->Count() : 0; }
  std::shared_ptr<Enumerator> CPNewEnum() const override { return m_colCPs ? m_colCPs->NewEnum() : nullptr; }
  std::shared_ptr<I709ConfigurationProperty> CPItem(const Variant& vItem) const override;
  std::int32_t NVCount() const override { return m_colNVs ? m_colNVs->Count() : 0; }
  std::shared_ptr<Enumerator> NVNewEnum() const override { return m_colNVs ? m_colNVs->NewEnum() : nullptr; }
  std::shared_ptr<I709NetworkVariable> NVItem(const Variant& vItem) const override;

 private:
  std::int16_t m_nIndex = 0;
  std::int16_t m_nType = 0;
  std::string m_sName;
  std::optional<KeyedCollection<std::shared_ptr<C472VirtualCP>>> m_colCPs;
  std::optional<KeyedCollection<std::shared_ptr<C472VirtualNV>>> m_colNVs;
};

}  // namespace vemo

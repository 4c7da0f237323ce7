#include "node/C472VirtualLM.h"

#include "vemosupport/automation_error.h"
#include "support/lm_object_types.h"

namespace vemo {

C472VirtualLM::~C472VirtualLM() {
  if (m_colCPs) m_colCPs->Clear();
  if (m_colNVs) m_colNVs->Clear();
}

std::string C472VirtualLM::Description() const { return GetLMObjectTypeDesc(m_nType); }

std::shared_ptr<I709ConfigurationProperties> C472VirtualLM::ConfigurationProperties() const {
  if (!m_colCPs) return nullptr;
  return std::const_pointer_cast<C472VirtualLM>(shared_from_this());
}

std::shared_ptr<I709NetworkVariables> C472VirtualLM::NetworkVariables() const {
  if (!m_colNVs) return nullptr;
  return std::const_pointer_cast<C472VirtualLM>(shared_from_this());
}

void C472VirtualLM::LMObjectType(std::int16_t) {
  throw AutomationError(err::kReadOnly, "C472VirtualLM::I709LMObject_LMObjectType", "Property is read-only!");
}

void C472VirtualLM::InitLM(std::int16_t nIndex, std::int16_t nType, const std::string& sName) {
  m_nIndex = nIndex;
  m_nType = nType;
  m_sName = sName;
}

void C472VirtualLM::AttachCP(const std::shared_ptr<C472VirtualCP>& oCP) {
  if (!m_colCPs) m_colCPs.emplace();
  m_colCPs->TryAdd(oCP, std::to_string(oCP->Key()));
}

void C472VirtualLM::AttachNV(const std::shared_ptr<C472VirtualNV>& oNV) {
  if (!m_colNVs) m_colNVs.emplace();
  m_colNVs->TryAdd(oNV, std::to_string(oNV->Index()));
}

std::shared_ptr<I709ConfigurationProperty> C472VirtualLM::CPItem(const Variant& vItem) const {
  return m_colCPs ? m_colCPs->Item(vItem) : nullptr;
}

std::shared_ptr<I709NetworkVariable> C472VirtualLM::NVItem(const Variant& vItem) const {
  return m_colNVs ? m_colNVs->Item(vItem) : nullptr;
}

}  // namespace vemo

// Population of a virtual node from its catalogue entry and configuration file.
#include "node/C472VirtualLMCol.h"
#include "node/C472VirtualNode.h"
#include "platform/file_system.h"
#include "platform/number_text.h"
#include "platform/text.h"
#include "points/C472VirtualCPCol.h"
#include "points/C472VirtualNVCol.h"
#include "services/kiv_reader.h"
#include "support/catalogue_names.h"
#include "support/xml_loading.h"

namespace vemo {

namespace {

// Calls `visit` for each child node of `section` that is an element named `name`, in
// document order.
template <class Visit>
void ForEachMember(const platform::XmlNode& section, std::string_view name, Visit visit) {
  for (platform::XmlNode child = section.firstChild(); child; child = child.nextSibling()) {
    if (child.nodeType() == platform::XmlNodeType::Element && child.baseName() == name) visit(child);
  }
}

}  // namespace

bool C472VirtualNode::PopulateDevice(const std::string& sKivName) {
  // A failure that reaches the caller (a host's message box or reader that throws, a
  // block past 32 bits) leaves the node exactly as it was, so a later call starts over.
  const PopulationState before = SaveState();
  try {
    return Populate(sKivName);
  } catch (...) {
    RestoreState(before);
    throw;
  }
}

C472VirtualNode::PopulationState C472VirtualNode::SaveState() const {
  return PopulationState{m_oLMObjects, m_oCPs, m_oNVs, *m_oConfigData, m_lNextOffset, m_bPopulated, m_sConfigFile};
}

void C472VirtualNode::RestoreState(const PopulationState& state) {
  m_oLMObjects = state.lmObjects;
  m_oCPs = state.cps;
  m_oNVs = state.nvs;
  *m_oConfigData = state.block;
  m_lNextOffset = state.nextOffset;
  m_bPopulated = state.populated;
  m_sConfigFile = state.configFile;
  m_colPending.clear();
}

bool C472VirtualNode::Populate(const std::string& sKivName) {
  // Objects, CPs and NVs are built at most once; a later call only rereads the
  // configuration file.
  if (!m_oLMObjects && m_oProgIDInfo && platform::FileExists(m_oProgIDInfo->XMLFilename())) {
    m_colPending.clear();
    BuildLMObjects();
    const platform::XmlNode device = FindProgIDNode(m_oProgIDInfo->XMLFilename(), m_oProgIDInfo->ProgramID());
    if (device) {
      LoadCPs(device);
      if (m_oCPs) m_bPopulated = m_oCPs->ConfigurationProperties()->Count() >= 1;
      LoadNVs(device, names::kConfigNvSection);
      // Only configuration NVs count towards configuration data.
      if (m_oNVs) m_bPopulated = m_bPopulated || m_oNVs->NetworkVariables()->Count() >= 1;
      LoadNVs(device, names::kInputNvSection);
      LoadNVs(device, names::kOutputNvSection);
      if (m_oNVs) {
        const std::int32_t size = m_oNVs->ConfigDataSize();
        if (size > 0) m_oConfigData->Allocate(RoundToInt32(static_cast<double>(m_oConfigData->DataSize()) + size));
        m_oNVs->BindStorage(m_oConfigData, m_lNextOffset);
      }
      ResolvePendingLinks();
      m_colPending.clear();
    }
  }
  if (m_bPopulated && !sKivName.empty()) {
    m_bPopulated = m_oConfigData->ReadFile(*services::ThreadKivReader(), sKivName, Record().ProgramID());
    m_sConfigFile = sKivName;
  }
  return m_bPopulated;
}

void C472VirtualNode::BuildLMObjects() {
  if (m_oLMObjects) return;
  m_oLMObjects = std::make_shared<C472VirtualLMCol>();
  // "&" version "@" object list ";" comment: only the object list is used.
  const std::string selfDoc = SelfDocumentation();
  if (selfDoc.empty() || selfDoc.front() != '&') return;
  const std::vector<std::string> pieces = SplitText(selfDoc.substr(0, selfDoc.find(';')), '@');
  if (pieces.size() < 2) return;
  m_oLMObjects->BuildFromSelfDoc(pieces[1]);
}

void C472VirtualNode::LoadCPs(const platform::XmlNode& oDevice) {
  const platform::XmlNode section = oDevice.selectSingleNode(names::kCpSection);
  if (!section) return;
  m_oCPs = std::make_shared<C472VirtualCPCol>();
  ForEachMember(section, names::kCp, [this](const platform::XmlNode& element) {
    const std::shared_ptr<C472VirtualCP> cp = m_oCPs->AddCP(element);
    if (!cp) return;
    if (cp->AppliesTo() >= 2) {
      m_colPending.push_back(cp);
    } else {
      m_oLMObjects->LinkCP(cp);
    }
  });
  if (m_oCPs->ConfigDataSize() > 0) {
    m_oConfigData->Allocate(m_oCPs->ConfigDataSize());
    m_oCPs->BindStorage(m_oConfigData, m_lNextOffset);
  }
}

void C472VirtualNode::LoadNVs(const platform::XmlNode& oDevice, const std::string& sSection) {
  const platform::XmlNode section = oDevice.selectSingleNode(sSection);
  if (!section) return;
  if (!m_oNVs) m_oNVs = std::make_shared<C472VirtualNVCol>();
  const bool isConfig = sSection == names::kConfigNvSection;
  ForEachMember(section, names::kNv, [&](const platform::XmlNode& element) {
    const std::shared_ptr<C472VirtualNV> nv = m_oNVs->AddNV(element, isConfig);
    if (!nv) return;
    nv->SetSection(sSection);
    if (nv->AppliesTo() >= 2) {
      m_colPending.push_back(nv);
    } else {
      m_oLMObjects->LinkNV(nv);
    }
  });
}

// Each pending data point takes the LonMark object of the NV its select text names,
// in list order, so a point naming an NV that is itself pending sees that NV's object
// only when the NV came earlier in the list.
void C472VirtualNode::ResolvePendingLinks() {
  if (!m_oNVs) return;
  for (const std::shared_ptr<IC472VirtualObj>& entry : m_colPending) {
    // The select text's number, rounded halves to even; one that does not fit names no NV.
    const std::optional<std::int32_t> index = TryRoundToInt32(LeadingNumber(entry->SelectData()));
    if (!index) continue;
    const std::shared_ptr<C472VirtualNV> target = m_oNVs->Find(std::to_string(*index));
    if (!target) continue;
    entry->LMObjectID(target->LMObjectID());
    if (const auto cp = std::dynamic_pointer_cast<C472VirtualCP>(entry)) {
      m_oLMObjects->LinkCP(cp);
    } else if (const auto nv = std::dynamic_pointer_cast<C472VirtualNV>(entry)) {
      m_oLMObjects->LinkNV(nv);
    }
  }
}

}  // namespace vemo

#include "node/C472VirtualNode.h"

#include "node/C472VirtualLMCol.h"
#include "vemosupport/automation_error.h"
#include "platform/number_text.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "services/kiv_reader.h"
#include "points/C472VirtualCPCol.h"
#include "points/C472VirtualNVCol.h"
#include "support/resource_strings.h"

namespace vemo {

namespace {

// The reply a read of 0x1F bytes of memory gets on this thread; made on first need.
thread_local std::string t_offlineReply;

constexpr std::size_t kMaxHexCharacters = 32767;

}  // namespace

std::string StringToHex(const std::string& s) {
  const std::vector<std::uint32_t> points = CodePoints(s);
  if (points.size() > kMaxHexCharacters) throw AutomationError(err::kOverflow);
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(points.size() * 2);
  for (std::uint32_t point : points) {
    const std::uint32_t code = point < 0x100 ? point : '?';
    hex += kDigits[code >> 4];
    hex += kDigits[code & 0xF];
  }
  return hex;
}

void C472VirtualNode::InitNode(std::shared_ptr<IVemoProgIDInfo> oProgIDInfo, const std::string& sUniqueNodeNum) {
  m_oProgIDInfo = std::move(oProgIDInfo);
  m_sUniqueNodeNum = sUniqueNodeNum;
}

const IVemoProgIDInfo& C472VirtualNode::Record() const {
  if (!m_oProgIDInfo) throw AutomationError(err::kObjectNotSet);
  return *m_oProgIDInfo;
}

std::string C472VirtualNode::ProgramID() const { return Record().ProgramID(); }
std::string C472VirtualNode::SelfDocumentation() const { return Record().SelfDoc(); }

std::string C472VirtualNode::Comment() const {
  const std::string selfDoc = SelfDocumentation();
  const std::size_t semicolon = selfDoc.find(';');
  return semicolon == std::string::npos ? std::string() : selfDoc.substr(semicolon + 1);
}

std::shared_ptr<I709ConfigurationProperties> C472VirtualNode::ConfigurationProperties() const {
  return m_oCPs ? m_oCPs->ConfigurationProperties() : nullptr;
}

std::shared_ptr<I709NetworkVariables> C472VirtualNode::NetworkVariables() const {
  return m_oNVs ? m_oNVs->NetworkVariables() : nullptr;
}

std::int16_t C472VirtualNode::ObjectCount() const {
  if (!m_oLMObjects) return 0;
  return RoundToInt16(m_oLMObjects->LMObjects()->Count());
}

Variant C472VirtualNode::GetObject(std::int16_t nIndex, std::string& sName, std::int16_t& iType,
                                   std::int32_t& lResourceIdx) {
  Variant result{ObjectPtr()};
  if (m_oLMObjects) {
    // Position 1 is the device object; the object with index k is at k + 2.
    const std::int16_t position = RoundToInt16(static_cast<double>(nIndex) + 1);
    if (const std::shared_ptr<I709LMObject> object = m_oLMObjects->LMObjects()->Item(Variant(position))) {
      sName = object->Name();
      iType = object->LMObjectType();
      result = Variant(ObjectPtr(object));
    }
  }
  lResourceIdx = 0;
  return result;
}

bool C472VirtualNode::SendMessageWait(const std::string& MsgCode, std::string& MsgData, std::int32_t /*MsgLength*/) {
  // A CEA-709.1 read-memory request (code 6D, 4 data bytes) whose byte count is 0x1F.
  const bool readMemory = UpperCase(MsgCode) == "6D" && CharacterCount(MsgData) == 8 &&
                          UpperCase(MsgData.substr(MsgData.size() - 2)) == "1F" && m_oProgIDInfo != nullptr;
  if (readMemory) {
    if (t_offlineReply.empty()) t_offlineReply = StringToHex(GetResString(res::kOffline));
    MsgData = t_offlineReply;
  }
  return true;
}

void C472VirtualNode::Refresh() {
  if (TrimSpaces(m_sConfigFile).empty()) return;
  if (!platform::FileExists(m_sConfigFile) || !m_bPopulated || !m_oProgIDInfo) return;
  // The reader is an outside component: whatever it answers or raises, Refresh goes on
  // and the populated flag stays as it was.
  try {
    m_oConfigData->ReadFile(*services::ThreadKivReader(), m_sConfigFile, m_oProgIDInfo->ProgramID());
  } catch (const std::exception&) {
  }
}

ByteArray C472VirtualNode::ReadConfigData(std::int32_t lOffset, std::int16_t nLength) const {
  return m_oConfigData->Read(lOffset, nLength);
}

void C472VirtualNode::WriteConfigData(const ByteArray& abData, std::int32_t lOffset, std::int16_t nLength) {
  m_oConfigData->Write(abData, lOffset, nLength);
}

}  // namespace vemo

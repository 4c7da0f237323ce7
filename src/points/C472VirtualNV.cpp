#include "points/C472VirtualNV.h"

#include <algorithm>

#include "vemosupport/automation_error.h"
#include "platform/message_box.h"
#include "platform/number_text.h"
#include "points/ConfigDataBlock.h"
#include "platform/text.h"
#include "points/lm_object_id.h"
#include "support/resource_strings.h"

namespace vemo {

namespace {

constexpr const char* kValueSource = "C472VirtualNV::I709NetworkVariable_Value";

// A hexadecimal pair read as far as it consists of hexadecimal digits: "0F" is 15,
// "Fx" is 15, "xF" is 0.
std::uint8_t HexPair(std::uint32_t first, std::uint32_t second) {
  auto digit = [](std::uint32_t c) { return c < 0x80 ? HexDigitValue(static_cast<char>(c)) : -1; };
  const int high = digit(first);
  if (high < 0) return 0;
  const int low = digit(second);
  return static_cast<std::uint8_t>(low < 0 ? high : high * 16 + low);
}

}  // namespace

PointRejection C472VirtualNV::InitFromXML(std::int16_t nIndex, std::int16_t nLength, std::int16_t nNVType,
                                          const platform::XmlNode& oNameNode, const platform::XmlNode& oSelfDocNode,
                                          const platform::XmlNode& oDefaultNode, bool bIsConfig) {
  m_nIndex = nIndex;
  m_nLength = nLength;
  m_nNVType = nNVType;
  m_bIsConfig = bIsConfig;
  if (oNameNode) m_sName = oNameNode.text();
  if (oSelfDocNode) m_sSelfDoc = oSelfDocNode.text();
  if (oDefaultNode) m_sDefault = oDefaultNode.text();
  if (PointRejection bad = ParseSelfDoc()) return bad;
  const std::optional<std::int32_t> objectId = LMObjectIDFor(m_nAppliesTo, m_sSelectData);
  if (!objectId) return {PointRejection::Reason::kObjectNumberTooLarge, m_sSelfDoc};
  m_lLMObjectID = *objectId;
  return {};
}

// The string is a lead character, then parts separated by ";"; only the first part
// is read. A configuration NV's first part is "applies-to,select,..."; any other NV's
// is the object index, then "|" or "#" and the member.
PointRejection C472VirtualNV::ParseSelfDoc() {
  using Reason = PointRejection::Reason;
  const std::uint32_t lead = FirstCharacter(m_sSelfDoc);
  // What follows the lead character is parts separated by ";"; nothing at all there
  // is no part, not an empty one.
  const std::string rest = WithoutFirstCharacter(m_sSelfDoc);
  const std::string_view first = std::string_view(rest).substr(0, rest.find(';'));
  if (m_bIsConfig) {
    if (lead != '&' && lead != '~') {
      ReportSelfDocError(res::kConfigNvSelfDocError);
      return {};
    }
    // "applies-to,select,...": both fields are needed.
    const std::size_t comma = first.find(',');
    if (rest.empty() || comma == std::string_view::npos) return {Reason::kNoAppliesToOrSelect, m_sSelfDoc};
    const std::optional<std::int16_t> appliesTo = TryRoundToInt16(LeadingNumber(first.substr(0, comma)));
    if (!appliesTo) return {Reason::kAppliesToTooLarge, m_sSelfDoc};
    m_nAppliesTo = *appliesTo;
    const std::string_view select = first.substr(comma + 1);
    m_sSelectData = std::string(select.substr(0, select.find(',')));
    return {};
  }
  if (lead != '@' && lead != '$') {
    ReportSelfDocError(res::kNvSelfDocError);
    return {};
  }
  if (rest.empty()) return {Reason::kNothingAfterLead, m_sSelfDoc};
  // The object index, in front of the member after "|" or "#".
  m_nAppliesTo = 1;
  m_sSelectData = std::string(first.substr(0, first.find_first_of("|#")));
  return {};
}

void C472VirtualNV::ReportSelfDocError(std::uint16_t messageId) const {
  std::string text = GetResString(messageId);
  text = ReplaceNumParam(text, Variant(m_nIndex));
  text = ReplaceStrParam(text, m_sName);
  platform::MessageBox(text, GetResString(res::kXmlParsingErrorTitle), kMbIconStop);
}

void C472VirtualNV::BindStorage(const std::shared_ptr<ConfigDataBlock>& block, std::int32_t& lOffset) {
  if (!m_bIsConfig) {
    m_abValue = ByteArray{};
    m_abValue.bytes.assign(static_cast<std::size_t>(std::max<std::int16_t>(m_nLength, 0)), 0);
  } else if (block) {
    m_oBlock = block;
    m_lDataOffset = lOffset;
    lOffset = NextOffset(lOffset, m_nLength);
  }

  // A default of any other length than two digits a byte is no default.
  if (m_nLength < 0) return;
  const std::size_t digitCount = 2 * static_cast<std::size_t>(m_nLength);
  // The usual default is ASCII, one byte a character.
  const bool ascii =
      std::all_of(m_sDefault.begin(), m_sDefault.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if ((ascii ? m_sDefault.size() : CharacterCount(m_sDefault)) != digitCount) return;
  ByteArray value;
  value.bytes.reserve(static_cast<std::size_t>(m_nLength));
  if (ascii) {
    for (std::size_t i = 0; i < digitCount; i += 2) value.bytes.push_back(HexPair(m_sDefault[i], m_sDefault[i + 1]));
  } else {
    const std::vector<std::uint32_t> digits = CodePoints(m_sDefault);
    for (std::size_t i = 0; i < digits.size(); i += 2) value.bytes.push_back(HexPair(digits[i], digits[i + 1]));
  }
  if (!m_bIsConfig) {
    m_abValue = std::move(value);
  } else if (HasStorage() && m_lDataOffset + m_nLength <= m_oBlock->DataSize() && m_nLength >= 1) {
    m_oBlock->Write(value, m_lDataOffset, m_nLength);
  }
}

Variant C472VirtualNV::Value() const {
  if (!m_bIsConfig) return Variant(m_abValue);
  if (!HasStorage()) throw AutomationError(err::kNoStorage);
  return Variant(m_oBlock->Read(m_lDataOffset, m_nLength));
}

void C472VirtualNV::Value(const Variant& NVValue) {
  const ByteArray* bytes = NVValue.AsBytes();
  if (!bytes) throw AutomationError(err::kInvalidArgument, kValueSource, "Expecting byte array as input!");
  if (m_bIsConfig) {
    if (!HasStorage()) throw AutomationError(err::kNoStorage);
    m_oBlock->Write(*bytes, m_lDataOffset, m_nLength);
    return;
  }
  if (bytes->Count() != m_nLength) {
    throw AutomationError(err::kInvalidArgument, kValueSource,
                          "The NV takes " + std::to_string(m_nLength) + (m_nLength == 1 ? " byte" : " bytes") +
                              ", not " + std::to_string(bytes->Count()) + ".");
  }
  m_abValue = *bytes;
}

}  // namespace vemo

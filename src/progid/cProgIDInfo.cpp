#include "progid/cProgIDInfo.h"

#include "vemosupport/automation_error.h"
#include "platform/number_text.h"
#include "platform/text.h"
#include "support/catalogue_names.h"

namespace vemo {

namespace {

// Every recognised attribute and "DevInfo" element read once.
constexpr std::int32_t kCompleteEntryCount = 15;

}  // namespace

void cProgIDInfo::LoadDeviceEntry(const platform::XmlNode& oDevice, const std::string& sXMLFilename) {
  std::int32_t count = 0;
  m_sXMLFilename = sXMLFilename;

  for (const platform::XmlAttribute& attribute : oDevice.attributes()) ReadAttribute(attribute, count);

  const platform::XmlNode devInfo = oDevice.selectSingleNode(names::kDevInfo);
  if (!devInfo) {
    throw AutomationError(err::kObjectNotSet, "cProgIDInfo::LoadDeviceEntry",
                          "The catalogue entry has no DevInfo element");
  }
  for (const NamedValue& child : ValuedChildElements(devInfo)) ReadDevInfoElement(child.name, child.value, count);
  m_bIsValid = count == kCompleteEntryCount;
}

void cProgIDInfo::ReadAttribute(const platform::XmlAttribute& attribute, std::int32_t& count) {
  const std::string& name = attribute.baseName;
  std::string value = attribute.value;
  if (name == names::kProgramId) {
    value = WithoutFirstCharacter(value);
    m_sProgramID = value;
    ++count;
  } else if (name == names::kImgBlockSize) {
    if (IsNumericText(value)) {
      // A number too large for 32 bits leaves the size as it was.
      if (const std::optional<std::int32_t> size = TryRoundToInt32(LeadingNumber(value))) m_lImgBlockSize = *size;
      if (m_lImgBlockSize < 0) m_lImgBlockSize = 0;
    }
    ++count;
  } else if (name == names::kIsHostBased || name == names::kIsHybridBased || name == names::kIsNeuronBased ||
             name == names::kSupportsFlash || name == names::kHas472Plugin || name == names::kSupportsOffline) {
    const bool yes = value == "Yes";
    if (name == names::kIsHostBased) m_bIsHostBased = yes;
    if (name == names::kIsHybridBased) m_bIsHybridBased = yes;
    if (name == names::kIsNeuronBased) m_bIsNeuronBased = yes;
    if (name == names::kSupportsFlash) m_bSupportsFlash = yes;
    if (name == names::kHas472Plugin) m_bHas472Plugin = yes;
    if (name == names::kSupportsOffline) m_bSupportsOfflineEdit = yes;
    ++count;
  }
  m_colItems.Add(name, value);
}

void cProgIDInfo::ReadDevInfoElement(const std::string& name, const std::string& value, std::int32_t& count) {
  std::string* field = nullptr;
  if (name == names::kDeviceCode) field = &m_sDeviceCode;
  if (name == names::kDeviceType) field = &m_sDeviceType;
  if (name == names::kDeviceTypeEx) field = &m_sDeviceTypeEx;
  if (name == names::kManufacturer) field = &m_sManufacturer;
  if (name == names::kPluginRev) field = &m_sPluginVersion;
  if (name == names::kFirmRev) field = &m_sFirmwareVersion;
  if (name == names::kSelfDoc) field = &m_sSelfDoc;
  if (field) {
    *field = value;
    ++count;
  }
  m_colItems.Add(name, value);
}

}  // namespace vemo

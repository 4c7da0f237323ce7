#include "progid/cProgIDConfigInfo.h"

#include "platform/number_text.h"
#include "support/catalogue_names.h"

namespace vemo {

namespace {

constexpr std::int32_t kCompleteEntryCount = 2;

}  // namespace

void cProgIDConfigInfo::LoadConfigEntry(const platform::XmlNode& oDevice, const std::string& sXMLFilename) {
  std::int32_t count = 0;
  m_sXMLFilename = sXMLFilename;
  if (!oDevice) return;

  if (const std::optional<std::string> programId = oDevice.getAttribute(names::kProgramId)) m_sProgramID = *programId;

  if (const platform::XmlNode configInfo = oDevice.selectSingleNode(names::kConfigInfo)) {
    for (const platform::XmlAttribute& attribute : configInfo.attributes()) {
      if (attribute.baseName == names::kLevel) {
        // A level outside 16 bits leaves the field as it was.
        if (const std::optional<std::int16_t> level = TryRoundToInt16(LeadingNumber(attribute.value))) {
          m_nLevel = *level;
        }
        ++count;
      }
      m_colItems.Add(attribute.baseName, attribute.value);
    }
    for (const NamedValue& child : ValuedChildElements(configInfo)) {
      if (child.name == names::kData) {
        m_sData = child.value;
        ++count;
      }
      m_colItems.Add(child.name, child.value);
    }
  }
  m_bIsValid = count == kCompleteEntryCount;
}

}  // namespace vemo

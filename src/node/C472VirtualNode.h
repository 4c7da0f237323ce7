#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vemosupport/I709Node.h"
#include "vemosupport/ICorvelNodeOffline.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/_C472VirtualNode.h"
#include "vemosupport/IC472VirtualObj.h"
#include "platform/xml_dom.h"
#include "points/ConfigDataBlock.h"

namespace vemo {

class C472VirtualLMCol;
class C472VirtualCPCol;
class C472VirtualNVCol;

// An offline image of one LonWorks device. Members that would talk to a network answer
// with fixed offline values; identity comes from the device-information record.
class C472VirtualNode : public _C472VirtualNode,
                        public I709Node,
                        public ICorvelNodeOffline,
                        public std::enable_shared_from_this<C472VirtualNode> {
 public:
  // _C472VirtualNode
  std::shared_ptr<IVemoProgIDInfo> ProgIDInfo() const override { return m_oProgIDInfo; }
  bool PopulateDevice(const std::string& sKivName) override;

  // I709Node
  std::int16_t Channel() const override { return 0; }
  std::string Comment() const override;
  std::shared_ptr<I709ConfigurationProperties> ConfigurationProperties() const override;
  std::shared_ptr<I709NetworkVariables> NetworkVariables() const override;
  std::int16_t MajorVersion() const override { return 0; }
  std::int16_t MinorVersion() const override { return 0; }
  std::int16_t Mode() const override { return 1; }
  void Mode(std::int16_t) override {}
  std::string UniqueNodeNum() const override { return m_sUniqueNodeNum; }
  std::int16_t ObjectCount() const override;
  std::string ProgramID() const override;
  std::string SelfDocumentation() const override;
  std::int16_t State() const override { return 4; }
  void State(std::int16_t) override {}
  bool SendExplicitMessages() const override { return m_bSendExplicitMessages; }
  void SendExplicitMessages(bool value) override { m_bSendExplicitMessages = value; }
  std::string GetDomain(std::int16_t) override { return "0"; }
  std::int16_t GetNode(std::int16_t, std::int16_t) override { return 0; }
  Variant GetObject(std::int16_t nIndex, std::string& sName, std::int16_t& iType, std::int32_t& lResourceIdx) override;
  std::int16_t GetSubnet(std::int16_t) override { return 0; }
  void Reset() override {}
  void Wink() override {}
  bool RespondToRequest(const std::string&, const std::string&) override { return false; }
  bool SendMessageWait(const std::string& MsgCode, std::string& MsgData, std::int32_t MsgLength) override;

  // ICorvelNodeOffline
  std::string ConfigurationFile() const override { return m_sConfigFile; }
  void Refresh() override;

  // Component-internal members.
  void InitNode(std::shared_ptr<IVemoProgIDInfo> oProgIDInfo, const std::string& sUniqueNodeNum);
  ByteArray ReadConfigData(std::int32_t lOffset, std::int16_t nLength) const;
  void WriteConfigData(const ByteArray& abData, std::int32_t lOffset, std::int16_t nLength);
  // The configuration data block that bound data points share.
  const std::shared_ptr<ConfigDataBlock>& ConfigData() const { return m_oConfigData; }

 private:
  const IVemoProgIDInfo& Record() const;

  // What population changes, so that a failed call can be undone.
  struct PopulationState {
    std::shared_ptr<C472VirtualLMCol> lmObjects;
    std::shared_ptr<C472VirtualCPCol> cps;
    std::shared_ptr<C472VirtualNVCol> nvs;
    ConfigDataBlock block;
    std::int32_t nextOffset;
    bool populated;
    std::string configFile;
  };
  PopulationState SaveState() const;
  void RestoreState(const PopulationState& state);
  bool Populate(const std::string& sKivName);
  // Population steps.
  void BuildLMObjects();
  void LoadCPs(const platform::XmlNode& oDevice);
  void LoadNVs(const platform::XmlNode& oDevice, const std::string& sSection);
  void ResolvePendingLinks();

  std::string m_sConfigFile;
  std::shared_ptr<IVemoProgIDInfo> m_oProgIDInfo;
  std::shared_ptr<C472VirtualLMCol> m_oLMObjects;
  std::shared_ptr<C472VirtualCPCol> m_oCPs;
  std::shared_ptr<C472VirtualNVCol> m_oNVs;
  std::string m_sUniqueNodeNum;
  bool m_bSendExplicitMessages = false;
  bool m_bPopulated = false;
  std::shared_ptr<ConfigDataBlock> m_oConfigData = std::make_shared<ConfigDataBlock>();
  std::int32_t m_lNextOffset = 0;
  // Data points whose LonMark object is that of another NV, while population runs.
  std::vector<std::shared_ptr<IC472VirtualObj>> m_colPending;
};

// Each character's code in the single-byte code page (Latin-1; "?" for characters
// beyond it) as two upper-case hexadecimal digits. At most 32767 characters.
std::string StringToHex(const std::string& s);

}  // namespace vemo

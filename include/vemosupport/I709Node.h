#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/object.h"
#include "vemosupport/variant.h"
#include "vemosupport/export.h"

namespace vemo {

class I709ConfigurationProperties;
class I709NetworkVariables;

// A LonWorks node as the device object model sees it. Members in slot order; a
// by-reference argument that a member changes is a reference parameter.
class VEMO_EXPORT I709Node : public virtual Object {
 public:
  virtual std::int16_t Channel() const = 0;
  virtual std::string Comment() const = 0;
  virtual std::shared_ptr<I709ConfigurationProperties> ConfigurationProperties() const = 0;
  virtual std::shared_ptr<I709NetworkVariables> NetworkVariables() const = 0;
  virtual std::int16_t MajorVersion() const = 0;
  virtual std::int16_t MinorVersion() const = 0;
  virtual std::int16_t Mode() const = 0;
  virtual void Mode(std::int16_t value) = 0;
  virtual std::string UniqueNodeNum() const = 0;
  virtual std::int16_t ObjectCount() const = 0;
  virtual std::string ProgramID() const = 0;
  virtual std::string SelfDocumentation() const = 0;
  virtual std::int16_t State() const = 0;
  virtual void State(std::int16_t value) = 0;
  virtual bool SendExplicitMessages() const = 0;
  virtual void SendExplicitMessages(bool value) = 0;
  virtual std::string GetDomain(std::int16_t nIndex) = 0;
  virtual std::int16_t GetNode(std::int16_t nDomainIndex, std::int16_t nSubnetIndex) = 0;
  virtual Variant GetObject(std::int16_t nIndex, std::string& sName, std::int16_t& iType,
                            std::int32_t& lResourceIdx) = 0;
  virtual std::int16_t GetSubnet(std::int16_t nIndex) = 0;
  virtual void Reset() = 0;
  virtual void Wink() = 0;
  virtual bool RespondToRequest(const std::string& MsgCode, const std::string& MsgData) = 0;
  virtual bool SendMessageWait(const std::string& MsgCode, std::string& MsgData, std::int32_t MsgLength) = 0;
};

}  // namespace vemo

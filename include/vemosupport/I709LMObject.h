#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/export.h"

namespace vemo {

// A LonMark functional object. Members in slot order.
class VEMO_EXPORT I709LMObject : public virtual Object {
 public:
  virtual std::string Description() const = 0;
  virtual std::int16_t Index() const = 0;
  virtual std::shared_ptr<I709ConfigurationProperties> ConfigurationProperties() const = 0;
  virtual std::shared_ptr<I709NetworkVariables> NetworkVariables() const = 0;
  virtual std::string Name() const = 0;
  virtual std::shared_ptr<I709NetworkVariable> PrimaryNV() const = 0;
  virtual void TestCommand(std::int16_t value) = 0;
  virtual std::int16_t TestResults() const = 0;
  virtual std::int16_t LMObjectType() const = 0;
  virtual void LMObjectType(std::int16_t value) = 0;
};

}  // namespace vemo

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interfaces/I709ConfigurationProperties.h"
#include "interfaces/I709NetworkVariables.h"

namespace vemo {

// A LonMark functional object. Members in slot order.
class I709LMObject : public virtual Object {
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

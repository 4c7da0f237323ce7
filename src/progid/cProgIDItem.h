#pragma once

#include <string>

#include "vemosupport/IVemoProgIDItem.h"

namespace vemo {

// One name/value item of a record.
class cProgIDItem : public IVemoProgIDItem {
 public:
  std::string Name() const override { return m_sName; }
  std::string Value() const override { return m_sValue; }

  // Component-internal: only the record loaders fill an item, before listing it.
  void SetName(const std::string& sName) { m_sName = sName; }
  void SetValue(const std::string& sValue) { m_sValue = sValue; }

 private:
  std::string m_sName;
  std::string m_sValue;
};

}  // namespace vemo

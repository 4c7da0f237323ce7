#pragma once

// An object-model interface. Its objects are used on the thread that made them.

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/IVemoProgIDItem.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/variant.h"
#include "vemosupport/export.h"

namespace vemo {

// The configuration-information record of one device type. Members in slot order.
class VEMO_EXPORT IVemoProgIDConfigInfo : public virtual Object {
 public:
  virtual std::string ProgramID() const = 0;
  virtual std::string XMLFilename() const = 0;
  virtual bool IsValid() const = 0;
  virtual std::int32_t Count() const = 0;
  virtual std::shared_ptr<Enumerator> NewEnum() const = 0;
  virtual std::shared_ptr<IVemoProgIDItem> Item(const Variant& vIndex) const = 0;
  virtual std::int16_t Level() const = 0;
  virtual std::string Data() const = 0;
};

}  // namespace vemo

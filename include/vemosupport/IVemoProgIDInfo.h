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

// The device-information record: what the catalogue says about one device type.
// Members in slot order.
class VEMO_EXPORT IVemoProgIDInfo : public virtual Object {
 public:
  virtual std::string ProgramID() const = 0;
  virtual std::string XMLFilename() const = 0;
  virtual bool IsValid() const = 0;
  virtual std::int32_t Count() const = 0;
  virtual std::shared_ptr<Enumerator> NewEnum() const = 0;
  // A number selects by 1-based position, text by item name (any letter case).
  virtual std::shared_ptr<IVemoProgIDItem> Item(const Variant& vIndex) const = 0;
  virtual std::string DeviceCode() const = 0;
  virtual std::string DeviceType() const = 0;
  virtual std::string DeviceTypeEx() const = 0;
  virtual bool Has472Plugin() const = 0;
  virtual bool IsHostBased() const = 0;
  virtual bool IsNeuronBased() const = 0;
  virtual std::string PluginVersion() const = 0;
  virtual std::string Manufacturer() const = 0;
  virtual std::string SelfDoc() const = 0;
  virtual bool SupportsFlash() const = 0;
  virtual bool SupportsOfflineEdit() const = 0;
  virtual std::string FirmwareVersion() const = 0;
  virtual bool IsHybridBased() const = 0;
  virtual std::int32_t ImgBlockSize() const = 0;
};

}  // namespace vemo

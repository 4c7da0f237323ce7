#pragma once

// The library's entry points, as a component host calls them, and CreateObject. The
// entry points may be called from any thread; they never throw.

#include <cstdint>
#include <memory>
#include <string>

#include "vemosupport/export.h"
#include "vemosupport/object.h"

namespace vemo {

// A class object: makes instances of one creatable class.
class VEMO_EXPORT IClassFactory {
 public:
  // A new instance; its failures are raised as automation errors.
  virtual std::shared_ptr<Object> CreateInstance() = 0;
  // Gives back the reference DllGetClassObject handed out.
  virtual void Release() = 0;

 protected:
  ~IClassFactory() = default;
};

// Status codes of the entry points.
namespace status {
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kFalse = 1;
inline constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(0x8000FFFFu);
inline constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000Eu);
inline constexpr std::int32_t kPointer = static_cast<std::int32_t>(0x80004003u);
inline constexpr std::int32_t kClassNotAvailable = static_cast<std::int32_t>(0x80040111u);
inline constexpr std::int32_t kRegisterFailed = static_cast<std::int32_t>(0x80040201u);
}  // namespace status

// Creates an object through the registration record, as an automation client does:
// the record names the class's identity and the library that serves it, whose
// DllGetClassObject makes the class object. A class that is not registered, or not
// creatable, raises error 429.
VEMO_EXPORT std::shared_ptr<Object> CreateObject(const std::string& progId);

}  // namespace vemo

extern "C" {
// The class object for `clsid` (the class identity, or the programmatic identifier) in
// `*classObject`, as a vemo::IClassFactory*. Only cFactory has one.
VEMO_EXPORT std::int32_t DllGetClassObject(const char* clsid, void** classObject) noexcept;
// kOk exactly when no object of the library is alive, else kFalse.
VEMO_EXPORT std::int32_t DllCanUnloadNow() noexcept;
// Write and remove the registration record of the public classes: kOk, or
// kRegisterFailed when the record cannot be read as one, cannot be written or would grow
// past the 16 MiB that CreateObject reads (it is then left as it was), or kUnexpected
// for any other failure. The record is replaced whole, never written in place.
VEMO_EXPORT std::int32_t DllRegisterServer() noexcept;
VEMO_EXPORT std::int32_t DllUnregisterServer() noexcept;
}

#pragma once

// The error every failing member raises. An error object is a plain value: copy it freely
// between threads.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "vemosupport/export.h"

namespace vemo {

// The failure that reaches a caller: an automation error with its number, the member
// that raised it and a description. A raise without a description of its own carries
// the standard description of its number; one without a source of its own carries the
// component's name, "VemoSupport".
class VEMO_EXPORT AutomationError : public std::runtime_error {
 public:
  AutomationError(std::int32_t number, std::string source = {}, std::string description = {});

  std::int32_t number() const noexcept { return number_; }
  const std::string& source() const noexcept { return source_; }
  const std::string& description() const noexcept { return description_; }
  // 0x800A0000 | number, the failure code an automation client sees.
  std::uint32_t hresult() const noexcept;

 private:
  std::int32_t number_;
  std::string source_;
  std::string description_;
};

inline constexpr const char* kComponentName = "VemoSupport";

// The runtime's own text for an error number; empty for a number it does not know.
VEMO_EXPORT std::string StandardErrorDescription(std::int32_t number);

// The error numbers the component raises.
namespace err {
inline constexpr std::int32_t kInvalidArgument = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kObjectNotSet = 91;
inline constexpr std::int32_t kResourceNotFound = 326;
inline constexpr std::int32_t kInvalidValue = 380;
inline constexpr std::int32_t kReadOnly = 383;
inline constexpr std::int32_t kNoStorage = 422;
inline constexpr std::int32_t kDuplicateKey = 457;
}  // namespace err

}  // namespace vemo

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vemosupport/variant.h"

namespace vemo {

// String-table identifiers.
namespace res {
inline constexpr std::uint16_t kOffline = 1000;
inline constexpr std::uint16_t kXmlParsingErrorTitle = 5000;
inline constexpr std::uint16_t kParseErrorReport = 5001;
inline constexpr std::uint16_t kConfigNvSelfDocError = 5002;
inline constexpr std::uint16_t kNvSelfDocError = 5003;
}  // namespace res

// The string-table text `nID`, or "Internal Error: <number>, Loading String Resource
// #<nID>" when it cannot be loaded. Never raises.
std::string GetResString(std::uint16_t nID);

// `sText` with its first "%0" replaced by `vValue` formatted with the pattern that
// starts at that "0": every directly following "0" or "." belongs to it, each "0" a
// zero-padded digit position, "." the decimal point ("%00" and 7 give "07", "%0.00" and
// 3.14159 give "3.14"). Unchanged when there is no "%0"; an overflow error (6) when the
// placeholder starts beyond character 32767.
std::string ReplaceNumParam(std::string sText, const Variant& vValue);

// True when `sText` has no `placeholder`, or its first one starts at character 32767 or
// before, so that replacing it cannot overflow.
bool PlaceholderFits(const std::string& sText, std::string_view placeholder);

// `sText` with its first "%s" replaced by `sValue`; unchanged when there is none; an
// overflow error (6) when the placeholder starts beyond character 32767.
std::string ReplaceStrParam(std::string sText, const std::string& sValue);

}  // namespace vemo

#include "support/resource_strings.h"

#include <charconv>
#include <cmath>

#include "vemosupport/automation_error.h"
#include "platform/number_text.h"
#include "platform/string_resources.h"

namespace vemo {

namespace {

// Character positions are 16-bit: a placeholder further in than this cannot be addressed.
constexpr std::size_t kMaxCharacterPosition = 32767;

// The 1-based character position of the byte at `at`.
std::size_t CharacterPosition(const std::string& text, std::size_t at) {
  std::size_t position = 1;
  for (std::size_t i = 0; i < at; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++position;
  }
  return position;
}

// Finds `placeholder` and checks that its 1-based character position fits 16 bits.
std::size_t FindPlaceholder(const std::string& text, std::string_view placeholder) {
  const std::size_t at = text.find(placeholder);
  if (at == std::string::npos) return at;
  if (CharacterPosition(text, at) > kMaxCharacterPosition) throw AutomationError(err::kOverflow);
  return at;
}

std::string FormatNumber(double value, int integerDigits, int fractionDigits, bool hasPoint) {
  std::string digits;
  if (fractionDigits == 0) {
    digits = NumberToText(std::round(value));
  } else {
    // Room for the 309 digits of the largest double and the fraction; written the same
    // under every locale.
    std::string buffer(static_cast<std::size_t>(fractionDigits) + 320, '\0');
    const auto written =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, fractionDigits);
    digits.assign(buffer.data(), written.ptr);
  }
  bool negative = !digits.empty() && digits[0] == '-';
  if (negative) digits.erase(0, 1);
  // A value that rounds to zero is written without a sign.
  if (digits.find_first_not_of("0.") == std::string::npos) negative = false;
  const std::size_t point = digits.find('.');
  const int whole = static_cast<int>(point == std::string::npos ? digits.size() : point);
  if (whole < integerDigits) digits.insert(0, static_cast<std::size_t>(integerDigits - whole), '0');
  if (hasPoint && fractionDigits == 0) digits += '.';
  return (negative ? "-" : "") + digits;
}

std::string FormatWithPattern(const Variant& value, std::string_view pattern) {
  const std::size_t point = pattern.find('.');
  int integerDigits = 0;
  int fractionDigits = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '0') continue;
    (point != std::string_view::npos && i > point ? fractionDigits : integerDigits)++;
  }
  if (value.IsNumber()) return FormatNumber(value.ToDouble(), integerDigits, fractionDigits, point != std::string_view::npos);
  if (const std::string* text = value.AsString()) {
    if (!IsNumericText(*text)) return *text;
    return FormatNumber(LeadingNumber(*text), integerDigits, fractionDigits, point != std::string_view::npos);
  }
  if (value.IsEmpty()) return {};
  throw AutomationError(err::kTypeMismatch);
}

}  // namespace

std::string GetResString(std::uint16_t nID) {
  try {
    return platform::LoadResString(nID);
  } catch (const AutomationError& error) {
    return "Internal Error: " + std::to_string(error.number()) + ", Loading String Resource #" + std::to_string(nID);
  }
}

bool PlaceholderFits(const std::string& sText, std::string_view placeholder) {
  const std::size_t at = sText.find(placeholder);
  return at == std::string::npos || CharacterPosition(sText, at) <= kMaxCharacterPosition;
}

std::string ReplaceNumParam(std::string sText, const Variant& vValue) {
  const std::size_t percent = FindPlaceholder(sText, "%0");
  if (percent == std::string::npos) return sText;
  std::size_t end = percent + 1;
  while (end < sText.size() && (sText[end] == '0' || sText[end] == '.')) ++end;
  const std::string formatted = FormatWithPattern(vValue, std::string_view(sText).substr(percent + 1, end - percent - 1));
  return sText.substr(0, percent) + formatted + sText.substr(end);
}

std::string ReplaceStrParam(std::string sText, const std::string& sValue) {
  const std::size_t percent = FindPlaceholder(sText, "%s");
  if (percent == std::string::npos) return sText;
  return sText.substr(0, percent) + sValue + sText.substr(percent + 2);
}

}  // namespace vemo

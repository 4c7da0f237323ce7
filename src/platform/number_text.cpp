#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <limits>

#include "vemosupport/automation_error.h"

namespace vemo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the number at the start of `text` (no blanks skipped), 0 when there is none.
std::size_t NumberPrefixLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    std::size_t fraction = 0;
    while (j < text.size() && IsDigit(text[j])) ++j, ++fraction;
    if (digits + fraction > 0) i = j, digits += fraction;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    std::size_t exponent = 0;
    while (j < text.size() && IsDigit(text[j])) ++j, ++exponent;
    if (exponent > 0) i = j;
  }
  return i;
}

// The value of a number of the grammar above, read the same under every locale. A
// value beyond a double's range is infinite, one too small for it is zero.
double ParseDecimal(std::string_view number) {
  const bool negative = !number.empty() && number[0] == '-';
  if (!number.empty() && number[0] == '+') number.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc::result_out_of_range) return value;
  // Out of range: the place of the leading digit says which way.
  const std::size_t e = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, e);
  long long exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = number.substr(e + 1);
    const bool negativeExponent = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    // Exponents beyond any double saturate; only the sign of the place matters then.
    for (char c : digits) exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000);
    if (negativeExponent) exponent = -exponent;
  }
  const std::size_t first = mantissa.find_first_of("123456789");
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const long long place = exponent + (first < point ? static_cast<long long>(point - first)
                                                    : -static_cast<long long>(first - point - 1));
  const double magnitude = place > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return negative ? -magnitude : magnitude;
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <class Int>
std::optional<Int> TryRoundToWidth(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    return std::nullopt;
  }
  return static_cast<Int>(rounded);
}

template <class Int>
Int RoundToWidth(double value) {
  const std::optional<Int> rounded = TryRoundToWidth<Int>(value);
  if (!rounded) throw AutomationError(err::kOverflow);
  return *rounded;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  const std::string_view rest = text.substr(start);
  const std::size_t length = NumberPrefixLength(rest);
  return length == 0 ? 0.0 : ParseDecimal(rest.substr(0, length));
}

bool IsNumericText(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  std::size_t end = text.size();
  while (end > start && IsBlank(text[end - 1])) --end;
  const std::string_view core = text.substr(start, end - start);
  return !core.empty() && NumberPrefixLength(core) == core.size();
}

std::int16_t RoundToInt16(double value) { return RoundToWidth<std::int16_t>(value); }
std::int32_t RoundToInt32(double value) { return RoundToWidth<std::int32_t>(value); }
std::optional<std::int16_t> TryRoundToInt16(double value) { return TryRoundToWidth<std::int16_t>(value); }
std::optional<std::int32_t> TryRoundToInt32(double value) { return TryRoundToWidth<std::int32_t>(value); }

std::string NumberToText(double value) {
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  // Automation writes the exponent with a capital letter: "1E-05", "2.5E+20".
  if (const std::size_t e = text.find('e'); e != std::string::npos) text[e] = 'E';
  return text;
}

}  // namespace vemo

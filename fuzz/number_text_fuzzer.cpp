// Number text both ways, and the variant conversions built on it. The input is the
// text; its first eight bytes are also taken as a double, so that every value
// (infinities, NaNs, subnormals, halves) reaches the rounding and the writing.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "platform/number_text.h"
#include "vemosupport/variant.h"

namespace {

using namespace vemo;

// The error number a call raises, 0 when it raises none.
template <class Call>
std::int32_t ErrorOf(Call&& call) {
  try {
    (void)call();
    return 0;
  } catch (const AutomationError& error) {
    return error.number();
  }
}

void CheckText(const std::string& text) {
  const double leading = LeadingNumber(text);
  const Variant variant(text);
  if (IsNumericText(text)) {
    fuzz::Require(!std::isnan(leading), "numeric text is a number");
    if (std::isfinite(leading)) {
      const auto value = fuzz::Attempt([&] { return variant.ToDouble(); });
      fuzz::Require(value && *value == leading, "numeric text converts to its leading number");
    } else {
      fuzz::Require(ErrorOf([&] { return variant.ToDouble(); }) == 6, "a numeral beyond a double overflows");
    }
  } else {
    fuzz::Require(ErrorOf([&] { return variant.ToDouble(); }) == 13, "other text is a type mismatch");
  }
  (void)ErrorOf([&] { return variant.ToInt16(); });
  (void)ErrorOf([&] { return variant.ToInt32(); });
  fuzz::Require(variant.ToText() == text, "text converts to itself");
}

template <class Int>
void CheckRounding(double value, Int (*round)(double), std::optional<Int> (*tryRound)(double)) {
  const std::optional<Int> tried = tryRound(value);
  Int rounded = 0;
  const std::int32_t error = ErrorOf([&] { return rounded = round(value); });
  fuzz::Require(tried ? error == 0 && rounded == *tried : error == 6, "rounding overflows exactly when it does not fit");
  if (tried) fuzz::Require(std::fabs(static_cast<double>(*tried) - value) <= 0.5, "rounding goes to a nearest integer");
}

void CheckWriting(double value) {
  const std::string text = NumberToText(value);
  if (!std::isfinite(value)) return;
  fuzz::Require(IsNumericText(text), "a finite number is written as numeric text");
  const double back = LeadingNumber(text);
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    fuzz::Require(back == value, "an integer is written exactly");
  } else if (std::isinf(back)) {
    // Fifteen digits of the very largest doubles round up past the range.
    fuzz::Require(std::fabs(value) >= 1.797693134862315e308, "only a number at the range's end is written beyond it");
  } else if (std::fabs(value) >= std::numeric_limits<double>::min()) {
    // Fifteen significant digits: within a few units of the fifteenth.
    fuzz::Require(std::fabs(back - value) <= std::fabs(value) * 1e-14, "a number is written to 15 digits");
  }
}

void CheckNumberVariants(double value) {
  const auto small = static_cast<std::int16_t>(std::isfinite(value) ? std::fmod(value, 32768.0) : 0.0);
  const Variant variants[] = {Variant(value), Variant(small), Variant(value != 0.0), Variant()};
  for (const Variant& variant : variants) {
    (void)ErrorOf([&] { return variant.ToDouble(); });
    (void)ErrorOf([&] { return variant.ToInt16(); });
    (void)ErrorOf([&] { return variant.ToInt32(); });
    (void)ErrorOf([&] { return variant.ToText(); });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(fuzz::AsText(data, size));
  CheckText(text);

  double value = LeadingNumber(text);
  if (size >= sizeof value) std::memcpy(&value, data, sizeof value);
  for (const double v : {value, LeadingNumber(text)}) {
    CheckRounding<std::int16_t>(v, RoundToInt16, TryRoundToInt16);
    CheckRounding<std::int32_t>(v, RoundToInt32, TryRoundToInt32);
    CheckWriting(v);
    CheckNumberVariants(v);
  }
  return 0;
}

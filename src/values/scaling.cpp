#include "values/scaling.h"

#include <charconv>
#include <cmath>

namespace vemo::values {

namespace {

using Wide = __int128;

Wide Power10(int exponent) {
  Wide power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

// n / d rounded to the nearest integer, halves to even; d > 0.
Wide DivideHalfEven(Wide n, Wide d) {
  Wide quotient = n / d;
  const Wide remainder = n % d;
  const Wide twice = 2 * (remainder < 0 ? -remainder : remainder);
  if (twice > d || (twice == d && quotient % 2 != 0)) quotient += n < 0 ? -1 : 1;
  return quotient;
}

std::string WithUnit(std::string text, std::string_view unit) {
  if (!unit.empty()) text.append(" ").append(unit);
  return text;
}

}  // namespace

const Descriptor& DescriptorAt(std::int32_t index) { return Table().descriptors[static_cast<std::size_t>(index)]; }

const Descriptor& Resolve(std::int32_t index, std::string_view& unit) {
  const Descriptor* d = &DescriptorAt(index);
  while (d->kind == Kind::kRef) {
    const TypeEntry& target = Table().types[static_cast<std::size_t>(d->first)];
    if (unit.empty()) unit = target.unit;
    d = &DescriptorAt(target.descriptor);
  }
  return *d;
}

std::int64_t RawLow(const Descriptor& d) {
  const int bits = d.kind == Kind::kBits ? d.b : 8 * d.size;
  return d.isSigned ? -(std::int64_t{1} << (bits - 1)) : 0;
}

std::int64_t RawHigh(const Descriptor& d) {
  const int bits = d.kind == Kind::kBits ? d.b : 8 * d.size;
  return (std::int64_t{1} << (d.isSigned ? bits - 1 : bits)) - 1;
}

std::int64_t ReadRaw(const Descriptor& d, std::span<const std::uint8_t> bytes) {
  std::uint64_t raw = 0;
  int bits = 8 * d.size;
  if (d.kind == Kind::kBits) {
    bits = d.b;
    raw = (bytes[0] >> (8 - d.a - d.b)) & ((1u << d.b) - 1);
  } else {
    for (std::size_t i = 0; i < d.size; ++i) raw = raw << 8 | bytes[i];
  }
  if (d.isSigned && (raw >> (bits - 1)) & 1) return static_cast<std::int64_t>(raw) - (std::int64_t{1} << bits);
  return static_cast<std::int64_t>(raw);
}

void WriteRaw(const Descriptor& d, std::span<std::uint8_t> bytes, std::int64_t raw) {
  const auto pattern = static_cast<std::uint64_t>(raw);
  if (d.kind == Kind::kBits) {
    const int shift = 8 - d.a - d.b;
    const unsigned mask = ((1u << d.b) - 1) << shift;
    bytes[0] = static_cast<std::uint8_t>((bytes[0] & ~mask) | ((pattern << shift) & mask));
    return;
  }
  for (std::size_t i = 0; i < d.size; ++i) bytes[i] = static_cast<std::uint8_t>(pattern >> (8 * (d.size - 1 - i)));
}

double RawToValue(const Descriptor& d, std::int64_t raw) {
  if (d.kind != Kind::kScaled) return static_cast<double>(raw);
  // Both operands are exact doubles, so the quotient is the double nearest the decimal.
  const auto units = static_cast<double>(static_cast<std::int64_t>(d.a) * (raw + d.offset));
  return units / static_cast<double>(Power10(d.b));
}

std::string RawToText(const Descriptor& d, std::int64_t raw) {
  if (d.kind != Kind::kScaled) return std::to_string(raw);
  const std::int64_t units = static_cast<std::int64_t>(d.a) * (raw + d.offset);
  std::string digits = std::to_string(units < 0 ? -units : units);
  if (d.b == 0) return (units < 0 ? "-" : "") + digits;
  if (digits.size() <= static_cast<std::size_t>(d.b)) digits.insert(0, static_cast<std::size_t>(d.b) + 1 - digits.size(), '0');
  digits.insert(digits.size() - static_cast<std::size_t>(d.b), ".");
  return (units < 0 ? "-" : "") + digits;
}

std::optional<std::int64_t> ValueToRaw(const Descriptor& d, double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // The shortest decimal that reads back as `value`: digits and exponent, exactly.
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const std::size_t e = text.find('e');
  Wide mantissa = 0;
  int fraction = 0;
  bool afterPoint = false;
  for (const char c : text.substr(0, e)) {
    if (c == '.') afterPoint = true;
    if (c < '0' || c > '9') continue;
    mantissa = mantissa * 10 + (c - '0');
    fraction += afterPoint ? 1 : 0;
  }
  if (text[0] == '-') mantissa = -mantissa;
  int exponent = 0;
  const std::size_t digits = text[e + 1] == '+' ? e + 2 : e + 1;
  std::from_chars(text.data() + digits, text.data() + text.size(), exponent);
  exponent -= fraction;  // value = mantissa * 10^exponent
  Wide units = d.kind == Kind::kScaled ? d.a : 1;
  Wide offset = d.kind == Kind::kScaled ? d.offset : 0;
  exponent += d.kind == Kind::kScaled ? d.b : 0;                // value / scale = mantissa * 10^exponent / units
  if (exponent > 20) return std::nullopt;
  Wide quotient = 0;
  if (exponent >= 0) {
    quotient = DivideHalfEven(mantissa * Power10(exponent), units);
  } else if (exponent >= -30) {
    quotient = DivideHalfEven(mantissa, units * Power10(-exponent));
  }
  const Wide raw = quotient - offset;
  if (raw > (Wide{1} << 62) || raw < -(Wide{1} << 62)) return std::nullopt;
  return static_cast<std::int64_t>(raw);
}

std::string FloatText(double value) {
  char buffer[64];
  const auto single = static_cast<float>(value);
  const auto written = static_cast<double>(single) == value
                           ? std::to_chars(buffer, buffer + sizeof buffer, single)
                           : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, written.ptr);
}

std::string RangeText(const Descriptor& d, std::string_view unit) {
  if (d.kind == Kind::kFloat) {
    if (std::isinf(d.minimum) && std::isinf(d.maximum)) return {};
    const std::string low = std::isinf(d.minimum) ? "-inf" : FloatText(d.minimum);
    const std::string high = std::isinf(d.maximum) ? "inf" : FloatText(d.maximum);
    return WithUnit(low + ".." + high, unit);
  }
  return WithUnit(RawToText(d, static_cast<std::int64_t>(d.minimum)) + ".." +
                      RawToText(d, static_cast<std::int64_t>(d.maximum)),
                  unit);
}

}  // namespace vemo::values

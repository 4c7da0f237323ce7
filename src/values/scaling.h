#pragma once

// Raw integers of scaled numbers and bit fields, their values and their text, computed
// exactly: a scale is units / 10^decimals, so 21.5 / 0.1 is 215, never 214.99999.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "values/type_table.h"

namespace vemo::values {

const Descriptor& DescriptorAt(std::int32_t index);

// Follows references to the layout that holds the bytes; `unit` becomes the referenced
// type's unit when it was empty.
const Descriptor& Resolve(std::int32_t index, std::string_view& unit);

// The raw integer of a scaled number, bit field or enumeration at `bytes`.
std::int64_t ReadRaw(const Descriptor& d, std::span<const std::uint8_t> bytes);
// Writes it back; a bit field changes its own bits only.
void WriteRaw(const Descriptor& d, std::span<std::uint8_t> bytes, std::int64_t raw);

// value = scale * (raw + offset), as the nearest double and as text with the decimals
// of the scale.
double RawToValue(const Descriptor& d, std::int64_t raw);
std::string RawToText(const Descriptor& d, std::int64_t raw);

// raw = round(value / scale - offset), halves to even, from the shortest decimal text of
// the value; nothing when the value is not finite or lies far outside any raw range.
std::optional<std::int64_t> ValueToRaw(const Descriptor& d, double value);

// The lowest and highest raw values the layout's bytes can hold.
std::int64_t RawLow(const Descriptor& d);
std::int64_t RawHigh(const Descriptor& d);

// A float's text: the shortest that reads back as the same number of its width.
std::string FloatText(double value);

// "-273.17..327.67 °C"
std::string RangeText(const Descriptor& d, std::string_view unit);

}  // namespace vemo::values

#pragma once

// The pieces of decoding, encoding and parsing that work on one layout of the table,
// shared by the public functions of vemosupport/types.h.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "values/type_table.h"
#include "vemosupport/types.h"

namespace vemo::values {

// The value of the layout `descriptor` at the start of `bytes` (at least its size).
Value DecodeAt(std::int32_t descriptor, std::span<const std::uint8_t> bytes, std::string_view unit);

// Writes `value` as the layout `descriptor` at the start of `out`; `path` names the
// value in errors (380, naming the range of a number out of range when `checkRange`).
void EncodeAt(std::int32_t descriptor, const Value& value, std::span<std::uint8_t> out, std::string_view unit,
              const std::string& path, bool checkRange = true);

// Reads a person's text as a value of the layout; raises 380 naming `path`.
Value ParseAt(std::int32_t descriptor, std::string_view text, std::string_view unit, const std::string& path);

// A CP type's own minimum and maximum bytes, applied to the ranges of a decoded value.
void ApplyTypeLimits(const TypeEntry& type, Value& value);

// A number's or float's text without its unit ("21.50").
std::string NumberText(const Value& value);

// Raises error 380 with that description.
[[noreturn]] void Fail(const std::string& description);

}  // namespace vemo::values

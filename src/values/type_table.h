#pragma once

// The layouts of the standard types, compiled into the library (resources/type_table.cpp,
// made by scripts/make-type-table). Everything here is constant data.

#include <cstdint>
#include <limits>
#include <span>

#include "vemosupport/types.h"

namespace vemo::values {

enum class Kind : std::uint8_t { kScaled, kFloat, kEnum, kStruct, kUnion, kArray, kRef, kInherits, kBits };

// One layout. Scaled numbers: value = units / 10^decimals * (raw + offset). Limits are raw
// integers for scaled numbers, bit fields and enumerations, values for floats.
struct Descriptor {
  Kind kind;
  bool isSigned;
  std::uint16_t size;  // bytes (a bit field: its one byte)
  std::int32_t a;      // scaled: scale units; bits: bit offset from the top; array: 1 when it holds text
  std::int32_t b;      // scaled: decimals; bits: width
  std::int32_t offset;
  double minimum, maximum;
  bool hasInvalid;
  std::int64_t invalid;  // raw
  std::int32_t first;    // struct, union: first field; enum: first member; array: element descriptor; ref: type
  std::int32_t count;    // fields, members or elements
};

struct Field {
  const char* name;
  std::uint16_t offset;  // bytes from the start of its structure
  std::int32_t descriptor;
  const char* unit;      // as shown, "" for none
};

struct Member {
  std::int32_t value;
  const char* name;
};

struct TypeEntry {
  TypeCategory category;
  std::int32_t index;
  const char* name;
  std::int32_t size;  // 0 for a CP type that inherits the NV's
  std::int32_t descriptor;
  const char* unit;   // as shown, "" for none
  std::int32_t defaultAt, minimumAt, maximumAt;  // into the bytes, -1 for none; `size` bytes each
};

struct TypeTable {
  std::span<const Descriptor> descriptors;
  std::span<const Field> fields;
  std::span<const Member> members;
  std::span<const std::uint8_t> bytes;
  std::span<const TypeEntry> types;    // SNVTs, SCPTs, enumerations, each by index
  std::span<const std::uint16_t> byName;
};

const TypeTable& Table();

}  // namespace vemo::values

#include <bit>
#include <cmath>

#include "values/codec.h"
#include "values/scaling.h"
#include "vemosupport/automation_error.h"

namespace vemo::values {

namespace {

// A binary32 as a double. A NaN keeps its payload and its quiet bit, carried in a quiet
// double NaN (a signalling one would be quieted by the first copy through the FPU): the
// payload's low 22 bits above bit 29, a signalling float marked by bit 0.
double FloatFromBits(std::uint32_t bits) {
  if ((bits & 0x7F800000u) == 0x7F800000u && (bits & 0x7FFFFFu) != 0) {
    return std::bit_cast<double>(std::uint64_t{bits >> 31} << 63 | std::uint64_t{0xFFF} << 51 |
                                 std::uint64_t{bits & 0x3FFFFFu} << 29 | ((bits & 0x400000u) ? 0u : 1u));
  }
  return static_cast<double>(std::bit_cast<float>(bits));
}

bool IsText(std::span<const std::uint8_t> bytes) {
  std::size_t end = 0;
  while (end < bytes.size() && bytes[end] >= 0x20 && bytes[end] < 0x7F) ++end;
  for (std::size_t i = end; i < bytes.size(); ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

void DecodeNumber(const Descriptor& d, std::span<const std::uint8_t> bytes, Value& value) {
  const std::int64_t raw = ReadRaw(d, bytes);
  value.number = RawToValue(d, raw);
  value.decimals = d.kind == Kind::kScaled ? d.b : 0;
  value.invalid = d.hasInvalid && raw == d.invalid;
  value.inRange = value.invalid || (raw >= d.minimum && raw <= d.maximum);
  value.range = RangeText(d, value.unit);
}

void DecodeFloat(const Descriptor& d, std::span<const std::uint8_t> bytes, Value& value) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < d.size; ++i) bits = bits << 8 | bytes[i];
  value.kind = Value::Kind::kFloat;
  value.number = d.size == 4 ? FloatFromBits(static_cast<std::uint32_t>(bits)) : std::bit_cast<double>(bits);
  value.invalid = std::isnan(value.number);
  // Limits compare in the float's own width: -273.17 stored is not below -273.17 stated.
  const double number = d.size == 4 ? static_cast<float>(value.number) : value.number;
  const double low = d.size == 4 ? static_cast<float>(d.minimum) : d.minimum;
  const double high = d.size == 4 ? static_cast<float>(d.maximum) : d.maximum;
  value.inRange = value.invalid || (number >= low && number <= high);
  value.range = RangeText(d, value.unit);
}

}  // namespace

Value DecodeAt(std::int32_t descriptor, std::span<const std::uint8_t> bytes, std::string_view unit) {
  const Descriptor& d = Resolve(descriptor, unit);
  Value value;
  value.unit = unit;
  switch (d.kind) {
    case Kind::kScaled:
    case Kind::kBits:
      DecodeNumber(d, bytes, value);
      break;
    case Kind::kFloat:
      DecodeFloat(d, bytes, value);
      break;
    case Kind::kEnum: {
      value.kind = Value::Kind::kEnumeration;
      value.unit.clear();
      const std::int64_t raw = ReadRaw(d, bytes);
      value.number = static_cast<double>(raw);
      for (const Member& member : Table().members.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count))) {
        if (member.value == raw) value.member = member.name;
      }
      break;
    }
    case Kind::kStruct:
    case Kind::kUnion: {
      value.kind = d.kind == Kind::kStruct ? Value::Kind::kStructure : Value::Kind::kUnion;
      value.unit.clear();
      value.items.reserve(static_cast<std::size_t>(d.count));
      std::uint16_t largest = 0;
      for (const Field& field : Table().fields.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count))) {
        Value& item = value.items.emplace_back(DecodeAt(field.descriptor, bytes.subspan(field.offset), field.unit));
        item.name = field.name;
        const std::uint16_t size = DescriptorAt(field.descriptor).size;
        if (size > largest) {
          largest = size;
          value.active = value.items.size() - 1;
        }
      }
      break;
    }
    case Kind::kArray: {
      std::string_view elementUnit = unit;
      const Descriptor& element = Resolve(d.first, elementUnit);
      const auto count = static_cast<std::size_t>(d.count);
      if (d.a == 1 && element.size == 1 && IsText(bytes.first(count))) {
        value.kind = Value::Kind::kText;
        value.unit.clear();
        for (std::size_t i = 0; i < count && bytes[i] != 0; ++i) value.text += static_cast<char>(bytes[i]);
        break;
      }
      value.kind = Value::Kind::kArray;
      value.items.reserve(count);
      for (std::size_t i = 0; i < count; ++i) {
        value.items.push_back(DecodeAt(d.first, bytes.subspan(i * element.size), unit));
      }
      break;
    }
    case Kind::kRef:
    case Kind::kInherits:
      Fail("a CP type that takes the type of its NV has no layout of its own");
  }
  return value;
}

namespace {

// Narrows the ranges of the leaves of `value` to the leaves of `low` and `high`.
void Narrow(Value& value, const Value& low, const Value& high) {
  if (value.kind == Value::Kind::kNumber || value.kind == Value::Kind::kFloat) {
    if (low.invalid || high.invalid || low.number > high.number) return;  // no usable limit
    value.inRange = value.invalid || (value.inRange && value.number >= low.number && value.number <= high.number);
    value.range = NumberText(low) + ".." + NumberText(high) + (value.unit.empty() ? "" : " " + value.unit);
    return;
  }
  if (value.items.size() != low.items.size() || value.items.size() != high.items.size()) return;
  for (std::size_t i = 0; i < value.items.size(); ++i) Narrow(value.items[i], low.items[i], high.items[i]);
}

}  // namespace

void ApplyTypeLimits(const TypeEntry& type, Value& value) {
  if (type.minimumAt < 0 || type.maximumAt < 0) return;
  const auto size = static_cast<std::size_t>(type.size);
  const Value low = DecodeAt(type.descriptor, Table().bytes.subspan(static_cast<std::size_t>(type.minimumAt), size), type.unit);
  const Value high = DecodeAt(type.descriptor, Table().bytes.subspan(static_cast<std::size_t>(type.maximumAt), size), type.unit);
  Narrow(value, low, high);
}

void Fail(const std::string& description) { throw AutomationError(err::kInvalidValue, {}, description); }

}  // namespace vemo::values

namespace vemo {

Value Decode(const DataType& type, std::span<const std::uint8_t> bytes) {
  const values::TypeEntry& entry = type.Entry();
  if (entry.size == 0) values::Fail(std::string(entry.name) + " takes the type of the NV it applies to");
  if (bytes.size() != static_cast<std::size_t>(entry.size)) {
    values::Fail(std::string(entry.name) + " has " + std::to_string(entry.size) + " bytes, not " +
                 std::to_string(bytes.size()));
  }
  Value value = values::DecodeAt(entry.descriptor, bytes, entry.unit);
  values::ApplyTypeLimits(entry, value);
  return value;
}

const Value* Value::Find(std::string_view fieldName) const {
  for (const Value& item : items) {
    if (item.name == fieldName) return &item;
  }
  return nullptr;
}

Value* Value::Find(std::string_view fieldName) {
  return const_cast<Value*>(static_cast<const Value&>(*this).Find(fieldName));
}

}  // namespace vemo

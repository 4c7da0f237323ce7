#include <bit>
#include <cmath>

#include "values/codec.h"
#include "values/scaling.h"
#include "vemosupport/automation_error.h"

namespace vemo::values {

namespace {

// The binary32 of a double; a NaN as FloatFromBits carries it (std::nan gives the quiet
// NaN 7FC00000).
std::uint32_t FloatToBits(double value) {
  if (std::isnan(value)) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint32_t quiet = (bits & 1) != 0 ? 0 : 0x400000u;
    const auto payload = static_cast<std::uint32_t>(bits >> 29) & 0x3FFFFFu;
    return static_cast<std::uint32_t>(bits >> 63) << 31 | 0x7F800000u | quiet | (quiet || payload ? payload : 1u);
  }
  return std::bit_cast<std::uint32_t>(static_cast<float>(value));
}

std::string Name(const std::string& path) { return path.empty() ? "the value" : path; }

std::string Join(const std::string& path, std::string_view name) {
  return path.empty() ? std::string(name) : path + "." + std::string(name);
}

void OutOfRange(const Value& value, const std::string& path, const std::string& range) {
  Fail((path.empty() ? "" : path + " ") + NumberText(value) + (value.unit.empty() ? "" : " " + value.unit) + " is outside " + range);
}

void EncodeNumber(const Descriptor& d, const Value& value, std::span<std::uint8_t> out, std::string_view unit,
                  const std::string& path, bool checkRange) {
  if (value.invalid) {
    if (!d.hasInvalid) Fail(Name(path) + " has no invalid value");
    WriteRaw(d, out, d.invalid);
    return;
  }
  const std::optional<std::int64_t> raw = ValueToRaw(d, value.number);
  const bool inside = raw && (checkRange ? *raw >= d.minimum && *raw <= d.maximum : *raw >= RawLow(d) && *raw <= RawHigh(d));
  if (!inside) {
    if (raw && d.hasInvalid && *raw == d.invalid) {  // the invalid value written as its number
      WriteRaw(d, out, *raw);
      return;
    }
    OutOfRange(value, path, RangeText(d, unit));
  }
  WriteRaw(d, out, *raw);
}

void EncodeFloat(const Descriptor& d, const Value& value, std::span<std::uint8_t> out, std::string_view unit,
                 const std::string& path, bool checkRange) {
  if (checkRange && !std::isnan(value.number)) {
    const double number = d.size == 4 ? static_cast<float>(value.number) : value.number;
    const double low = d.size == 4 ? static_cast<float>(d.minimum) : d.minimum;
    const double high = d.size == 4 ? static_cast<float>(d.maximum) : d.maximum;
    if (!(number >= low && number <= high) || (std::isinf(number) && std::isfinite(value.number))) {
      OutOfRange(value, path, RangeText(d, unit).empty() ? "the range of the float" : RangeText(d, unit));
    }
  }
  const std::uint64_t bits = d.size == 4 ? FloatToBits(value.number) : std::bit_cast<std::uint64_t>(value.number);
  for (std::size_t i = 0; i < d.size; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * (d.size - 1 - i)));
}

// The item of `value` for the field at `position`, found by its name.
const Value& ItemFor(const Value& value, std::size_t position, const Field& field, const std::string& path) {
  if (position < value.items.size() && value.items[position].name == field.name) return value.items[position];
  const Value* item = value.Find(field.name);
  if (!item) Fail(Join(path, field.name) + " has no value");
  return *item;
}

}  // namespace

void EncodeAt(std::int32_t descriptor, const Value& value, std::span<std::uint8_t> out, std::string_view unit,
              const std::string& path, bool checkRange) {
  const Descriptor& d = Resolve(descriptor, unit);
  switch (d.kind) {
    case Kind::kScaled:
    case Kind::kBits:
      if (value.kind != Value::Kind::kNumber) Fail(Name(path) + " is a number");
      EncodeNumber(d, value, out, unit, path, checkRange);
      return;
    case Kind::kFloat:
      if (value.kind != Value::Kind::kFloat && value.kind != Value::Kind::kNumber) Fail(Name(path) + " is a number");
      EncodeFloat(d, value, out, unit, path, checkRange);
      return;
    case Kind::kEnum: {
      const double number = value.number;
      if (value.kind != Value::Kind::kEnumeration && value.kind != Value::Kind::kNumber) {
        Fail(Name(path) + " is an enumeration");
      }
      if (number != std::floor(number) || number < -128 || number > 127) {
        Fail((path.empty() ? "" : path + " ") + NumberText(value) + " is no enumeration number (-128..127)");
      }
      out[0] = static_cast<std::uint8_t>(static_cast<std::int8_t>(number));
      return;
    }
    case Kind::kStruct: {
      if (value.kind != Value::Kind::kStructure) Fail(Name(path) + " is a structure");
      const auto fields = Table().fields.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count));
      for (std::size_t i = 0; i < fields.size(); ++i) {
        EncodeAt(fields[i].descriptor, ItemFor(value, i, fields[i], path), out.subspan(fields[i].offset), fields[i].unit,
                 Join(path, fields[i].name), checkRange);
      }
      return;
    }
    case Kind::kUnion: {
      if (value.kind != Value::Kind::kUnion || value.active >= value.items.size()) Fail(Name(path) + " is a union");
      const Value& member = value.items[value.active];
      for (const Field& field : Table().fields.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count))) {
        if (member.name == field.name) {
          // Not range-checked, as RangeProblems does not check a union: which member the
          // bytes hold is said elsewhere, and Format shows every member's reading.
          EncodeAt(field.descriptor, member, out.subspan(field.offset), field.unit, Join(path, field.name), false);
          return;
        }
      }
      Fail(Join(path, member.name) + " is no member of the union");
    }
    case Kind::kArray: {
      std::string_view elementUnit = unit;
      const Descriptor& element = Resolve(d.first, elementUnit);
      const auto count = static_cast<std::size_t>(d.count);
      if (value.kind == Value::Kind::kText && d.a == 1 && element.size == 1) {
        if (value.text.size() > count) Fail(Name(path) + " holds at most " + std::to_string(count) + " characters");
        for (std::size_t i = 0; i < count; ++i) {
          out[i] = i < value.text.size() ? static_cast<std::uint8_t>(value.text[i]) : 0;
        }
        return;
      }
      if (value.kind != Value::Kind::kArray || value.items.size() != count) {
        Fail(Name(path) + " is an array of " + std::to_string(count) + " elements");
      }
      for (std::size_t i = 0; i < count; ++i) {
        EncodeAt(d.first, value.items[i], out.subspan(i * element.size), unit, Join(path, std::to_string(i)), checkRange);
      }
      return;
    }
    case Kind::kRef:
    case Kind::kInherits:
      Fail(Name(path) + " takes the type of the NV it applies to");
  }
}

}  // namespace vemo::values

namespace vemo {

namespace {

// A CP type's own minimum and maximum, checked on the bytes written.
void CheckTypeLimits(const values::TypeEntry& entry, std::span<const std::uint8_t> bytes, std::string_view path) {
  if (entry.minimumAt < 0) return;
  Value written = values::DecodeAt(entry.descriptor, bytes, entry.unit);
  values::ApplyTypeLimits(entry, written);
  for (const std::string& problem : RangeProblems(written)) {
    if (problem.starts_with(path)) values::Fail(problem);
  }
}

}  // namespace

std::vector<std::uint8_t> Encode(const DataType& type, const Value& value, bool checkRange) {
  const values::TypeEntry& entry = type.Entry();
  if (entry.size == 0) values::Fail(std::string(entry.name) + " takes the type of the NV it applies to");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(entry.size));
  try {
    values::EncodeAt(entry.descriptor, value, bytes, entry.unit, "", checkRange);
    if (checkRange) CheckTypeLimits(entry, bytes, "");
  } catch (const AutomationError& error) {
    values::Fail(std::string(entry.name) + ": " + error.description());
  }
  return bytes;
}

}  // namespace vemo

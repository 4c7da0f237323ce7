#pragma once

// Automation variant values. A plain value: safe to use from any thread as long as one
// thread writes it at a time (an object it holds follows its own rules).

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "vemosupport/byte_array.h"
#include "vemosupport/object.h"
#include "vemosupport/export.h"

namespace vemo {

// An automation variant value: empty, a boolean, a 16- or 32-bit integer, a double,
// text, a byte array, an array of variants or an object.
class VEMO_EXPORT Variant {
 public:
  enum class Type { Empty, Boolean, Integer, Long, Double, String, Bytes, Array, Object };
  using Array = std::vector<Variant>;

  Variant() = default;
  Variant(bool value) : value_(value) {}
  Variant(std::int16_t value) : value_(value) {}
  Variant(std::int32_t value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(std::string value) : value_(std::move(value)) {}
  Variant(const char* value) : value_(std::string(value)) {}
  Variant(ByteArray value) : value_(std::move(value)) {}
  Variant(Array value) : value_(std::move(value)) {}
  Variant(ObjectPtr value) : value_(std::move(value)) {}
  template <class T>
  Variant(std::shared_ptr<T> value) : value_(ObjectPtr(std::move(value))) {}

  Type type() const { return static_cast<Type>(value_.index()); }
  bool IsEmpty() const { return type() == Type::Empty; }
  // Booleans count as numbers, as in every automation conversion.
  bool IsNumber() const;
  bool IsString() const { return type() == Type::String; }

  const std::string* AsString() const { return std::get_if<std::string>(&value_); }
  const ByteArray* AsBytes() const { return std::get_if<ByteArray>(&value_); }
  const Array* AsArray() const { return std::get_if<Array>(&value_); }
  ObjectPtr AsObject() const;

  // The numeric value of a number, or of a text that is wholly numeric; anything else
  // is a type mismatch (13).
  double ToDouble() const;
  // ToDouble rounded to the nearest integer, halves to even; overflow (6) outside the width.
  std::int16_t ToInt16() const;
  std::int32_t ToInt32() const;
  // Text as is, a number as decimal text, empty as the empty string; anything else is a
  // type mismatch (13).
  std::string ToText() const;

 private:
  std::variant<std::monostate, bool, std::int16_t, std::int32_t, double, std::string, ByteArray, Array,
               ObjectPtr>
      value_;
};

}  // namespace vemo

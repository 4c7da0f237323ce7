#pragma once

// Standard NV and CP types: looking a type up, decoding the bytes of a value into numbers
// with units, enumeration members and named fields, encoding them back, and showing and
// reading values as text. A DataType is a handle on constant data and every function here
// may be called from any thread; a Value is a plain value, used like any other.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vemosupport/export.h"

namespace vemo {

class I709ConfigurationProperty;
class I709NetworkVariable;
class I709Node;

namespace values {
struct TypeEntry;
}

enum class TypeCategory { kSnvt, kScpt, kEnumeration };

// One standard type: an SNVT, an SCPT or a standard enumeration. Cheap to copy; valid for
// the life of the process.
class VEMO_EXPORT DataType {
 public:
  // The lookups below make types; the entry is the library's own table row.
  explicit DataType(const values::TypeEntry& entry) : entry_(&entry) {}

  TypeCategory Category() const;
  int Index() const;              // the SNVT or SCPT index, or the enumeration's key
  std::string_view Name() const;  // "SNVT_temp_p", "SCPTheatSetpt", "occup_t"
  int Size() const;               // bytes of a value; 0 for a CP type that inherits
  bool Inherits() const;          // a CP type that takes the type of the NV it applies to
  std::string_view Unit() const;  // as shown ("°C", also of a CP type defined as an SNVT), empty for none
  // A CP type's default, minimum and maximum bytes; empty when the type states none.
  std::vector<std::uint8_t> DefaultBytes() const;
  std::vector<std::uint8_t> MinimumBytes() const;
  std::vector<std::uint8_t> MaximumBytes() const;

  const values::TypeEntry& Entry() const { return *entry_; }
  friend bool operator==(const DataType& a, const DataType& b) { return a.entry_ == b.entry_; }

 private:
  const values::TypeEntry* entry_;
};

// Looking types up; nothing when the table has no such type. A name is found without
// regard to case.
VEMO_EXPORT std::optional<DataType> FindSnvtType(int index);
VEMO_EXPORT std::optional<DataType> FindScptType(int index);
VEMO_EXPORT std::optional<DataType> FindTypeByName(std::string_view name);

// The type of a data point, or nothing when its value stays bytes: an NV's NVType, a CP's
// CPType when StandardType is true. A CP type that inherits takes the type of `appliesTo`,
// the NV the CP applies to (nothing without one); the node form finds that NV from the
// CP's definition record (applies-to code 2, the NV index as its select text).
VEMO_EXPORT std::optional<DataType> TypeOf(const I709NetworkVariable& nv);
VEMO_EXPORT std::optional<DataType> TypeOf(const I709ConfigurationProperty& cp,
                                           const I709NetworkVariable* appliesTo = nullptr);
VEMO_EXPORT std::optional<DataType> TypeOf(const I709ConfigurationProperty& cp, const I709Node& node);

// A decoded value: one node of a tree that mirrors the type's layout.
struct Value {
  enum class Kind {
    kNumber,       // a scaled integer or a bit field: `number`, shown with `decimals`
    kFloat,        // an IEEE 754 number: `number`
    kEnumeration,  // `number`, and `member` when a member has that number
    kStructure,    // `items`, the named fields
    kUnion,        // `items`, every member read from the same bytes; `active` is encoded
    kArray,        // `items`, the elements
    kText,         // `text`, characters of a character array up to its first zero
  };
  Kind kind = Kind::kNumber;
  std::string name;          // the field's name in its structure or union, else empty
  double number = 0;
  int decimals = 0;          // kNumber: the decimals of the type's resolution
  std::string unit;          // as shown ("°C"), empty when none
  std::string member;        // kEnumeration: the member's name, empty when no member has the number
  std::string text;
  std::vector<Value> items;
  std::size_t active = 0;    // kUnion: the member written back (decoding picks the largest)
  bool invalid = false;      // the type's "no valid value"
  bool inRange = true;       // within the type's minimum and maximum (the invalid value is not out of range)
  std::string range;         // kNumber, kFloat: the allowed range as text ("-273.17..327.67 °C")

  // The field of that name of a structure or union, or nullptr.
  VEMO_EXPORT const Value* Find(std::string_view fieldName) const;
  VEMO_EXPORT Value* Find(std::string_view fieldName);
};

// Decodes a value's bytes. The bytes must be exactly the type's size (error 380 names
// both); an inheriting CP type cannot decode (error 380). A CP type's own minimum and
// maximum narrow the range its values are checked against.
VEMO_EXPORT Value Decode(const DataType& type, std::span<const std::uint8_t> bytes);

// Encodes a value of the type (as Decode gives, possibly changed) into bytes. A number
// outside its range raises error 380 whose description names the field and the range,
// unless `checkRange` is false (to write back what a device holds, as it holds it); the
// member of a union is checked only against what its bits can hold (see RangeProblems).
// Bits no field names are written as 0.
VEMO_EXPORT std::vector<std::uint8_t> Encode(const DataType& type, const Value& value, bool checkRange = true);

// The messages of every field whose value lies outside its range ("value 120.0 % is
// outside 0.0..100.0 %"), empty when all lie inside. The members of a union are not
// checked: which one the bytes hold is not in the bytes.
VEMO_EXPORT std::vector<std::string> RangeProblems(const Value& value);

// The value as a person reads it: "21.50 °C", "OC_OCCUPIED", "{value: 100.0 %, state: 1}",
// "[1, 2, 3]", "\"text\"", "invalid" for the type's invalid value.
VEMO_EXPORT std::string Format(const Value& value);

// A person's text as a value of the type: a number in the type's unit ("21.5", "21.5 °C"),
// "invalid", a member name, "{value: 100, state: 1}" (every field, in the form Format
// writes), "[...]" for arrays or quoted text. Error 380 says what could not be read or
// what lies out of range.
VEMO_EXPORT Value Parse(const DataType& type, std::string_view text);

// The bytes after setting one field, "value=100" or "start_DST.M_start_DST.month_of_start_DST=3"
// (a dotted path; an array element as a number: "nid.2=7"), from text read as Parse reads
// it. Every byte and bit outside that field keeps its value.
VEMO_EXPORT std::vector<std::uint8_t> UpdateField(const DataType& type, std::span<const std::uint8_t> bytes,
                                                  std::string_view assignment);

}  // namespace vemo

#include <charconv>
#include <cmath>

#include "values/codec.h"
#include "values/scaling.h"
#include "vemosupport/automation_error.h"

namespace vemo::values {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string What(const std::string& path) { return path.empty() ? "the value" : path; }

// A recursive reader of the text Format writes.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Value Read(std::int32_t descriptor, std::string_view unit, const std::string& path, bool whole) {
    const Descriptor& d = Resolve(descriptor, unit);
    SkipBlanks();
    switch (d.kind) {
      case Kind::kScaled:
      case Kind::kBits:
      case Kind::kFloat:
        return Number(d, unit, path);
      case Kind::kEnum:
        return Enumeration(d, path);
      case Kind::kStruct:
      case Kind::kUnion:
        return Compound(d, path, whole);
      case Kind::kArray:
        return Array(d, unit, path, whole);
      case Kind::kRef:
      case Kind::kInherits:
        break;
    }
    Fail(What(path) + " takes the type of the NV it applies to");
  }

  void End(const std::string& path) {
    SkipBlanks();
    if (at_ != text_.size()) Fail(What(path) + ": unexpected \"" + std::string(text_.substr(at_)) + "\"");
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
  }

  bool Take(char c) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  void Expect(char c, const std::string& path) {
    if (!Take(c)) Fail(What(path) + ": expected '" + std::string(1, c) + "' at \"" + std::string(text_.substr(at_)) + "\"");
  }

  // A scalar: the text up to the next ',', '}' or ']'.
  std::string_view Token() {
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '}' && text_[at_] != ']') ++at_;
    return Trim(text_.substr(start, at_ - start));
  }

  Value Number(const Descriptor& d, std::string_view unit, const std::string& path) {
    Value value;
    value.kind = d.kind == Kind::kFloat ? Value::Kind::kFloat : Value::Kind::kNumber;
    value.unit = unit;
    value.decimals = d.kind == Kind::kScaled ? d.b : 0;
    std::string_view token = Token();
    if (SameLetters(token, "invalid")) {
      value.invalid = true;
      value.number = d.kind == Kind::kFloat ? std::nan("") : RawToValue(d, d.invalid);
      if (d.kind != Kind::kFloat && !d.hasInvalid) Fail(What(path) + " has no invalid value");
      return value;
    }
    if (!unit.empty() && token.ends_with(unit)) token = Trim(token.substr(0, token.size() - unit.size()));
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    const auto read = std::from_chars(token.data(), token.data() + token.size(), value.number);
    if (token.empty() || read.ec != std::errc() || read.ptr != token.data() + token.size() ||
        !std::isfinite(value.number)) {
      Fail(What(path) + ": \"" + std::string(token) + "\" is not a number" + (unit.empty() ? "" : " in " + std::string(unit)));
    }
    return value;
  }

  Value Enumeration(const Descriptor& d, const std::string& path) {
    Value value;
    value.kind = Value::Kind::kEnumeration;
    const std::string_view token = Token();
    for (const Member& member : Table().members.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count))) {
      if (SameLetters(token, member.name)) {
        value.number = member.value;
        value.member = member.name;
        return value;
      }
    }
    int number = 0;
    const auto read = std::from_chars(token.data(), token.data() + token.size(), number);
    if (token.empty() || read.ec != std::errc() || read.ptr != token.data() + token.size()) {
      std::string names;
      for (const Member& member : Table().members.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count))) {
        names += (names.empty() ? "" : ", ") + std::string(member.name);
      }
      Fail(What(path) + ": \"" + std::string(token) + "\" is no member (" + names + ")");
    }
    value.number = number;
    return value;
  }

  Value Compound(const Descriptor& d, const std::string& path, bool whole) {
    const auto fields = Table().fields.subspan(static_cast<std::size_t>(d.first), static_cast<std::size_t>(d.count));
    Value value;
    value.kind = d.kind == Kind::kStruct ? Value::Kind::kStructure : Value::Kind::kUnion;
    SkipBlanks();
    // A structure of one field may be written as that field ("hello" for a string type).
    if (fields.size() == 1 && d.kind == Kind::kStruct && (at_ >= text_.size() || text_[at_] != '{')) {
      Value& item = value.items.emplace_back(Read(fields[0].descriptor, fields[0].unit, Join(path, fields[0].name), whole));
      item.name = fields[0].name;
      return value;
    }
    Expect('{', path);
    std::vector<bool> given(fields.size());
    std::uint16_t largest = 0;
    while (!Take('}')) {
      if (!value.items.empty()) Expect(',', path);
      SkipBlanks();
      const std::size_t start = at_;
      while (at_ < text_.size() && text_[at_] != ':' && text_[at_] != ',' && text_[at_] != '}') ++at_;
      const std::string_view name = Trim(text_.substr(start, at_ - start));
      Expect(':', path);
      std::size_t i = 0;
      while (i < fields.size() && name != fields[i].name) ++i;
      if (i == fields.size()) Fail(What(path) + " has no field \"" + std::string(name) + "\"");
      if (given[i]) Fail(Join(path, name) + " is given twice");
      given[i] = true;
      Value& item = value.items.emplace_back(Read(fields[i].descriptor, fields[i].unit, Join(path, name), false));
      item.name = fields[i].name;
      const std::uint16_t size = DescriptorAt(fields[i].descriptor).size;
      if (size > largest) {
        largest = size;
        value.active = value.items.size() - 1;
      }
    }
    if (d.kind == Kind::kStruct) {
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!given[i]) Fail(Join(path, fields[i].name) + " has no value (a structure needs every field)");
      }
    } else if (value.items.empty()) {
      Fail(What(path) + " needs one member");
    }
    return value;
  }

  Value Array(const Descriptor& d, std::string_view unit, const std::string& path, bool whole) {
    Value value;
    SkipBlanks();
    if (d.a == 1 && (Take('"') || (whole && (at_ >= text_.size() || text_[at_] != '[')))) {
      value.kind = Value::Kind::kText;
      const bool quoted = at_ > 0 && text_[at_ - 1] == '"';
      if (!quoted) {
        value.text = std::string(Trim(text_.substr(at_)));
        at_ = text_.size();
      } else {
        for (;;) {
          if (at_ >= text_.size()) Fail(What(path) + ": the text has no closing '\"'");
          char c = text_[at_++];
          if (c == '"') break;
          if (c == '\\' && at_ < text_.size()) c = text_[at_++];
          value.text += c;
        }
      }
      for (const char c : value.text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
          Fail(What(path) + " holds printable ASCII characters only");
        }
      }
      return value;
    }
    value.kind = Value::Kind::kArray;
    Expect('[', path);
    while (!Take(']')) {
      if (!value.items.empty()) Expect(',', path);
      value.items.push_back(Read(d.first, unit, Join(path, std::to_string(value.items.size())), false));
    }
    if (value.items.size() != static_cast<std::size_t>(d.count)) {
      Fail(What(path) + " has " + std::to_string(d.count) + " elements, not " + std::to_string(value.items.size()));
    }
    return value;
  }

  static std::string Join(const std::string& path, std::string_view name) {
    return path.empty() ? std::string(name) : path + "." + std::string(name);
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

Value ParseAt(std::int32_t descriptor, std::string_view text, std::string_view unit, const std::string& path) {
  Reader reader(text);
  Value value = reader.Read(descriptor, unit, path, true);
  reader.End(path);
  return value;
}

}  // namespace vemo::values

namespace vemo {

Value Parse(const DataType& type, std::string_view text) {
  const values::TypeEntry& entry = type.Entry();
  try {
    // Through the bytes, so the value is checked against the type's limits and comes back
    // at the type's resolution, as Decode gives it.
    return Decode(type, Encode(type, values::ParseAt(entry.descriptor, text, entry.unit, "")));
  } catch (const AutomationError& error) {
    if (error.description().starts_with(entry.name)) throw;
    values::Fail(std::string(entry.name) + ": " + error.description());
  }
}

}  // namespace vemo

#include <charconv>
#include <cmath>

#include "values/codec.h"
#include "values/scaling.h"

namespace vemo::values {

std::string NumberText(const Value& value) {
  if (value.kind == Value::Kind::kFloat) return FloatText(value.number);
  if (!std::isfinite(value.number)) return std::isnan(value.number) ? "nan" : value.number > 0 ? "inf" : "-inf";
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value.number, std::chars_format::fixed,
                                     value.decimals);
  return std::string(buffer, written.ptr);
}

namespace {

void Append(std::string& out, const Value& value) {
  switch (value.kind) {
    case Value::Kind::kNumber:
    case Value::Kind::kFloat:
      if (value.invalid) {
        out += "invalid";
        return;
      }
      out += NumberText(value);
      if (!value.unit.empty()) out.append(" ").append(value.unit);
      return;
    case Value::Kind::kEnumeration:
      out += value.member.empty() ? NumberText(value) : value.member;
      return;
    case Value::Kind::kText:
      out += '"';
      for (const char c : value.text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
      }
      out += '"';
      return;
    case Value::Kind::kStructure:
    case Value::Kind::kUnion:
    case Value::Kind::kArray: {
      const bool named = value.kind != Value::Kind::kArray;
      out += named ? '{' : '[';
      for (std::size_t i = 0; i < value.items.size(); ++i) {
        if (i > 0) out += ", ";
        if (named) out.append(value.items[i].name).append(": ");
        Append(out, value.items[i]);
      }
      out += named ? '}' : ']';
      return;
    }
  }
}

void CollectProblems(const Value& value, const std::string& path, std::vector<std::string>& problems) {
  if ((value.kind == Value::Kind::kNumber || value.kind == Value::Kind::kFloat) && !value.inRange) {
    problems.push_back((path.empty() ? "" : path + " ") + NumberText(value) +
                       (value.unit.empty() ? "" : " " + value.unit) + " is outside " + value.range);
  }
  // Which member a union holds is not in its bytes (another field or the context says it),
  // so no member's range is held against it.
  if (value.kind == Value::Kind::kUnion) return;
  for (std::size_t i = 0; i < value.items.size(); ++i) {
    const Value& item = value.items[i];
    const std::string name = item.name.empty() ? std::to_string(i) : item.name;
    CollectProblems(item, path.empty() ? name : path + "." + name, problems);
  }
}

}  // namespace

}  // namespace vemo::values

namespace vemo {

std::string Format(const Value& value) {
  std::string out;
  values::Append(out, value);
  return out;
}

std::vector<std::string> RangeProblems(const Value& value) {
  std::vector<std::string> problems;
  values::CollectProblems(value, "", problems);
  return problems;
}

}  // namespace vemo

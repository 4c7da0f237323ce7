#include "node_values.h"

#include <charconv>
#include <regex>

#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/IVemoDataPointLayout.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/types.h"
#include "errors.h"
#include "points.h"

namespace vemo::cli {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

UsageError Malformed(const std::string& text, const std::string& why) {
  return UsageError("--set \"" + Printable(text) + "\": " + why);
}

std::vector<std::uint8_t> ParseHex(const std::string& text, const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    const int high = HexDigit(hex[i]);
    const int low = i + 1 < hex.size() ? HexDigit(hex[i + 1]) : -1;
    if (high < 0 || low < 0) throw Malformed(text, "bytes are written 0x and pairs of hexadecimal digits");
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    i += 2;
  }
  if (bytes.empty()) throw Malformed(text, "the value holds no bytes");
  return bytes;
}

ByteArray Bytes(const std::vector<std::uint8_t>& bytes) { return ByteArray{bytes, 0}; }

void CheckSize(const Assignment& assignment, std::int32_t size) {
  if (static_cast<std::int32_t>(assignment.bytes->size()) == size) return;
  throw Malformed(assignment.text, "the data point takes " + std::to_string(size) + " bytes, not " +
                                       std::to_string(assignment.bytes->size()));
}

// The bytes an assignment gives a point whose value is now `current`.
std::vector<std::uint8_t> NewBytes(const Assignment& assignment, const std::optional<DataType>& type,
                                   std::vector<std::uint8_t> current, std::int32_t size) {
  if (assignment.bytes) {
    CheckSize(assignment, size);
    return *assignment.bytes;
  }
  if (!type) {
    throw Malformed(assignment.text, "the data point has no standard type to read a value in; give its bytes, e.g. 0x" +
                                         std::string(static_cast<std::size_t>(size) * 2, '0'));
  }
  static const std::regex kField("[A-Za-z_][A-Za-z0-9_.]*=.*");
  try {
    if (std::regex_match(assignment.value, kField)) return UpdateField(*type, current, assignment.value);
    return Encode(*type, Parse(*type, assignment.value));
  } catch (const AutomationError& error) {
    throw Malformed(assignment.text, error.description());
  }
}

std::vector<std::uint8_t> CurrentBytes(const Variant& value) {
  const ByteArray* bytes = value.AsBytes();
  return bytes ? bytes->bytes : std::vector<std::uint8_t>{};
}

}  // namespace

Assignment ParseAssignment(const std::string& text) {
  Assignment assignment;
  assignment.text = text;
  const std::size_t colon = text.find(':');
  const std::size_t equals = text.find('=');
  if (colon == std::string::npos || equals == std::string::npos || equals < colon) {
    throw Malformed(text, "expected nv:INDEX=VALUE, nv:NAME=VALUE or cp:KEY=VALUE");
  }
  const std::string kind = text.substr(0, colon);
  if (kind == "nv") {
    assignment.kind = Assignment::Kind::NetworkVariable;
  } else if (kind == "cp") {
    assignment.kind = Assignment::Kind::ConfigurationProperty;
  } else {
    throw Malformed(text, "the key starts with nv: or cp:");
  }
  const std::string key = text.substr(colon + 1, equals - colon - 1);
  static const std::regex kName("[A-Za-z_][A-Za-z0-9_\\[\\]]*");
  if (kind == "nv" && std::regex_match(key, kName)) {
    assignment.name = key;
  } else {
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (error != std::errc() || end != key.data() + key.size() || key.empty()) {
      throw Malformed(text, kind == "nv" ? "the key needs a decimal index or an NV name" : "the key needs a decimal number");
    }
    assignment.number = number;
  }
  const std::string value = text.substr(equals + 1);
  static const std::regex kLeadingZero("[+-]?0[0-9].*");
  if (value.starts_with("0x") || value.starts_with("0X")) {
    assignment.bytes = ParseHex(text, value.substr(2));
  } else if (value.empty()) {
    throw Malformed(text, "the value is missing");
  } else if (std::regex_match(value, kLeadingZero)) {
    throw Malformed(text, "a number has no leading zero; bytes are written 0x" + value);
  } else {
    assignment.value = value;
  }
  return assignment;
}

bool Apply(I709Node& node, const Assignment& assignment) {
  if (assignment.kind == Assignment::Kind::NetworkVariable) {
    for (const auto& nv : NetworkVariables(node)) {
      if (assignment.number ? nv->Index() != *assignment.number : nv->Name() != assignment.name) continue;
      nv->Value(Bytes(NewBytes(assignment, TypeOf(*nv), CurrentBytes(nv->Value()), nv->Length())));
      return dynamic_cast<const IVemoDataPointLayout&>(*nv).BlockOffset() >= 0;
    }
    throw Malformed(assignment.text, assignment.number ? "the node has no NV with index " + std::to_string(*assignment.number)
                                                       : "the node has no NV named " + Printable(assignment.name));
  }
  for (const auto& cp : ConfigurationProperties(node)) {
    if (dynamic_cast<const IC472VirtualCP&>(*cp).Key() != *assignment.number) continue;
    cp->Value(Bytes(NewBytes(assignment, TypeOf(*cp, node), CurrentBytes(cp->Value()), cp->ElementSize())));
    return true;
  }
  throw Malformed(assignment.text, "the node has no CP with key " + std::to_string(*assignment.number));
}

}  // namespace vemo::cli

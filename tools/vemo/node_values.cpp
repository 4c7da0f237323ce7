#include "node_values.h"

#include <charconv>

#include "vemosupport/IC472VirtualCP.h"
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
    if (high < 0 || low < 0) throw Malformed(text, "the value must be pairs of hexadecimal digits");
    bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    i += 2;
  }
  if (bytes.empty()) throw Malformed(text, "the value holds no bytes");
  return bytes;
}

ByteArray Bytes(const std::vector<std::uint8_t>& bytes) { return ByteArray{bytes, 0}; }

void CheckSize(const Assignment& assignment, std::int32_t size) {
  if (static_cast<std::int32_t>(assignment.bytes.size()) == size) return;
  throw Malformed(assignment.text, "the data point takes " + std::to_string(size) + " bytes, not " +
                                       std::to_string(assignment.bytes.size()));
}

}  // namespace

Assignment ParseAssignment(const std::string& text) {
  Assignment assignment;
  assignment.text = text;
  const std::size_t colon = text.find(':');
  const std::size_t equals = text.find('=');
  if (colon == std::string::npos || equals == std::string::npos || equals < colon) {
    throw Malformed(text, "expected nv:INDEX=HEX or cp:KEY=HEX");
  }
  const std::string kind = text.substr(0, colon);
  if (kind == "nv") {
    assignment.kind = Assignment::Kind::NetworkVariable;
  } else if (kind == "cp") {
    assignment.kind = Assignment::Kind::ConfigurationProperty;
  } else {
    throw Malformed(text, "the key starts with nv: or cp:");
  }
  const char* first = text.data() + colon + 1;
  const char* last = text.data() + equals;
  const auto [end, error] = std::from_chars(first, last, assignment.number);
  if (error != std::errc() || end != last || first == last) throw Malformed(text, "the key needs a decimal number");
  assignment.bytes = ParseHex(text, text.substr(equals + 1));
  return assignment;
}

void Apply(I709Node& node, const Assignment& assignment) {
  if (assignment.kind == Assignment::Kind::NetworkVariable) {
    for (const auto& nv : NetworkVariables(node)) {
      if (nv->Index() != assignment.number) continue;
      CheckSize(assignment, nv->Length());
      nv->Value(Bytes(assignment.bytes));
      return;
    }
    throw Malformed(assignment.text, "the node has no NV with index " + std::to_string(assignment.number));
  }
  for (const auto& cp : ConfigurationProperties(node)) {
    if (dynamic_cast<const IC472VirtualCP&>(*cp).Key() != assignment.number) continue;
    CheckSize(assignment, cp->ElementSize());
    cp->Value(Bytes(assignment.bytes));
    return;
  }
  throw Malformed(assignment.text, "the node has no CP with key " + std::to_string(assignment.number));
}

}  // namespace vemo::cli

#include "json_output.h"

#include <string_view>

namespace vemo::cli {

namespace {

// The length of the well-formed UTF-8 sequence that starts `text`, or 0 when none does.
// Overlong forms, surrogates and code points past U+10FFFF are not well formed.
std::size_t SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void WriteString(std::ostream& out, std::string_view text) {
  static const char kDigits[] = "0123456789abcdef";
  out << '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out << '\\' << static_cast<char>(c);
    } else if (c == '\n') {
      out << "\\n";
    } else if (c == '\t') {
      out << "\\t";
    } else if (c == '\r') {
      out << "\\r";
    } else if (c < 0x20) {
      out << "\\u00" << kDigits[c >> 4] << kDigits[c & 0xF];
    } else if (const std::size_t length = SequenceLength(text.substr(i)); length > 0) {
      out << text.substr(i, length);
      i += length;
      continue;
    } else {
      out << "\\udc" << kDigits[c >> 4] << kDigits[c & 0xF];
    }
    ++i;
  }
  out << '"';
}

void Indent(std::ostream& out, int depth) {
  for (int i = 0; i < depth; ++i) out << "  ";
}

// Indented by two spaces a level when `pretty`, else on one line without blanks.
void Write(std::ostream& out, const Json& json, int depth, bool pretty) {
  if (json.is_string()) {
    WriteString(out, json.get_ref<const std::string&>());
  } else if (json.is_object() || json.is_array()) {
    const bool object = json.is_object();
    if (json.empty()) {
      out << (object ? "{}" : "[]");
      return;
    }
    out << (object ? '{' : '[');
    bool first = true;
    for (auto it = json.begin(); it != json.end(); ++it) {
      if (!first) out << ',';
      first = false;
      if (pretty) {
        out << '\n';
        Indent(out, depth + 1);
      }
      if (object) {
        WriteString(out, it.key());
        out << (pretty ? ": " : ":");
      }
      Write(out, *it, depth + 1, pretty);
    }
    if (pretty) {
      out << '\n';
      Indent(out, depth);
    }
    out << (object ? '}' : ']');
  } else {
    out << json.dump();  // numbers, booleans and null hold no text
  }
}

}  // namespace

void WriteJson(std::ostream& out, const Json& json) {
  Write(out, json, 0, true);
  out << '\n';
}

void WriteJsonLine(std::ostream& out, const Json& json) {
  Write(out, json, 0, false);
  out << '\n';
}

}  // namespace vemo::cli

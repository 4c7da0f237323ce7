#include "importer/safe_text.h"

#include <cstdint>

namespace vemo::importer {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at `at` and its code point, or 0 when the
// bytes there are not one (overlong forms and surrogates included).
std::size_t Sequence(std::string_view text, std::size_t at, std::uint32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  std::size_t length = 0;
  std::uint32_t lowest = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, codePoint = lead & 0x1Fu, lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, codePoint = lead & 0x0Fu, lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, codePoint = lead & 0x07u, lowest = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3Fu);
  }
  if (codePoint < lowest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

bool AllowedInXml(std::uint32_t c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  return c != 0xFFFE && c != 0xFFFF;
}

// What AppendXmlText writes for `c`; empty when it writes `c` itself.
std::string_view Escaped(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\t': return "&#9;";
    case '\n': return "&#10;";
    case '\r': return "&#13;";
    default: return {};
  }
}

// Walks `text` character by character: `keep(character)` for each valid one allowed in
// XML, `replace()` for each byte or character that is not (it becomes U+FFFD).
template <class Keep, class Replace>
void Walk(std::string_view text, Keep keep, Replace replace) {
  for (std::size_t at = 0; at < text.size();) {
    std::uint32_t codePoint = 0;
    const std::size_t length = Sequence(text, at, codePoint);
    if (length == 0 || !AllowedInXml(codePoint)) {
      replace();
      at += length == 0 ? 1 : length;
    } else {
      keep(text.substr(at, length));
      at += length;
    }
  }
}

}  // namespace

std::string ValidText(std::string_view text, bool& replaced) {
  std::string result;
  result.reserve(text.size());
  Walk(
      text, [&](std::string_view character) { result += character; },
      [&] {
        result += kReplacement;
        replaced = true;
      });
  return result;
}

bool AppendXmlText(std::string& xml, std::string_view text) {
  bool replaced = false;
  Walk(
      text,
      [&](std::string_view character) {
        const std::string_view escaped = character.size() == 1 ? Escaped(character[0]) : std::string_view();
        xml += escaped.empty() ? character : escaped;
      },
      [&] {
        xml += kReplacement;
        replaced = true;
      });
  return replaced;
}

TextBytes MeasureText(std::string_view text) {
  TextBytes bytes;
  Walk(
      text,
      [&](std::string_view character) {
        const std::string_view escaped = character.size() == 1 ? Escaped(character[0]) : std::string_view();
        bytes.valid += character.size();
        bytes.escaped += escaped.empty() ? character.size() : escaped.size();
      },
      [&] {
        bytes.valid += kReplacement.size();
        bytes.escaped += kReplacement.size();
      });
  return bytes;
}

}  // namespace vemo::importer

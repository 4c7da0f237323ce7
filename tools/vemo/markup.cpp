#include "markup.h"

#include <cstdint>

namespace vemo::cli {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point that starts at `at`, moving `at` past it; U+FFFD for a byte that starts
// no valid sequence (overlong forms and surrogates included), which is then skipped alone.
char32_t Next(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) {
    ++at;
    return kReplacement;
  }
  char32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return kReplacement;
    }
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++at;
    return kReplacement;
  }
  at += length;
  return code;
}

bool Control(char32_t code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

bool Noncharacter(char32_t code) { return (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE; }

void Append(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Calls `each(code)` for every code point of `text` as CleanText gives it.
template <class Each>
void ForEachClean(std::string_view text, Each each) {
  for (std::size_t at = 0; at < text.size();) {
    char32_t code = Next(text, at);
    if (Control(code)) code = '?';
    if (Noncharacter(code)) code = kReplacement;
    if (!each(code)) return;
  }
}

std::size_t Width(char32_t code) { return code < 0x1100 ? 1 : 2; }

}  // namespace

std::string CleanText(std::string_view text) {
  std::string clean;
  ForEachClean(text, [&](char32_t code) {
    Append(clean, code);
    return true;
  });
  return clean;
}

std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  ForEachClean(text, [&](char32_t code) {
    columns += Width(code);
    return true;
  });
  return columns;
}

std::string Clipped(std::string_view text, std::size_t columns) {
  if (Columns(text) <= columns) return CleanText(text);
  std::string clipped;
  std::size_t used = 0;
  const bool marked = columns >= Width(U'…');
  const std::size_t room = marked ? columns - Width(U'…') : columns;
  ForEachClean(text, [&](char32_t code) {
    if (used + Width(code) > room) return false;
    used += Width(code);
    Append(clipped, code);
    return true;
  });
  return marked ? clipped + "…" : clipped;
}

std::string Escaped(std::string_view text) {
  std::string escaped;
  ForEachClean(text, [&](char32_t code) {
    switch (code) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: Append(escaped, code);
    }
    return true;
  });
  return escaped;
}

}  // namespace vemo::cli

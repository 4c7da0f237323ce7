#include "platform/keyed_collection.h"

#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace vemo {

namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Full Unicode case folding of valid UTF-8 text ("Straße" and "STRASSE" fold alike).
void AppendFolded(std::string_view text, std::string& out) {
  icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())))
      .foldCase()
      .toUTF8String(out);
}

}  // namespace

std::string FoldKey(std::string_view key) {
  // Unicode folding of ASCII is ASCII lower case: the usual key needs no conversion.
  if (IsAscii(key)) {
    std::string folded(key);
    for (char& c : folded) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
  }
  // Runs of valid UTF-8 are folded; a byte that is not part of one stays as it is, so
  // keys that differ in such bytes stay different keys.
  std::string folded;
  folded.reserve(key.size());
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(key.data());
  const auto length = static_cast<std::int32_t>(key.size());
  std::int32_t runStart = 0;
  std::int32_t i = 0;
  while (i < length) {
    const std::int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      AppendFolded(key.substr(runStart, start - runStart), folded);
      folded.append(key.substr(start, i - start));
      runStart = i;
    }
  }
  AppendFolded(key.substr(runStart), folded);
  return folded;
}

}  // namespace vemo

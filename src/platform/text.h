#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vemo {

// Removes leading and trailing spaces (and only spaces), as the runtime's Trim does.
std::string TrimSpaces(const std::string& text);

// The text without its first character; empty text stays empty.
std::string WithoutFirstCharacter(const std::string& text);

// Splits text at every occurrence of `separator`; empty text gives no pieces at all.
std::vector<std::string> SplitText(const std::string& text, char separator);

// Upper-cases ASCII letters.
std::string UpperCase(std::string text);

// The value of a hexadecimal digit (either case), or -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code points of UTF-8 text; a byte that does not start a valid sequence stands
// for itself.
std::vector<std::uint32_t> CodePoints(const std::string& text);
// Their number, and the first of them (0 for empty text), without making the list.
std::size_t CharacterCount(const std::string& text);
std::uint32_t FirstCharacter(const std::string& text);

}  // namespace vemo

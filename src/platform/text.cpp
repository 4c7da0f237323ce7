#include "platform/text.h"

#include <algorithm>

namespace vemo {

std::string TrimSpaces(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string WithoutFirstCharacter(const std::string& text) {
  if (text.empty()) return {};
  std::size_t next = 1;
  while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
  return text.substr(next);
}

std::vector<std::string> SplitText(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
  return text;
}

namespace {

// The code point that starts at byte `i` and its length in bytes; a byte that does not
// start a valid sequence stands for itself.
std::uint32_t DecodeAt(const std::string& text, std::size_t i, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[i]);
  length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
  bool valid = length > 1 && i + length <= text.size();
  for (std::size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
  if (!valid) {
    length = 1;
    return lead;
  }
  std::uint32_t point = lead & (0xFFu >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
  return point;
}

}  // namespace

std::vector<std::uint32_t> CodePoints(const std::string& text) {
  std::vector<std::uint32_t> points;
  points.reserve(text.size());
  for (std::size_t i = 0, length = 0; i < text.size(); i += length) points.push_back(DecodeAt(text, i, length));
  return points;
}

std::size_t CharacterCount(const std::string& text) {
  std::size_t count = 0;
  for (std::size_t i = 0, length = 0; i < text.size(); i += length, ++count) DecodeAt(text, i, length);
  return count;
}

std::uint32_t FirstCharacter(const std::string& text) {
  std::size_t length = 0;
  return text.empty() ? 0 : DecodeAt(text, 0, length);
}

}  // namespace vemo

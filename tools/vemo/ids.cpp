#include "ids.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace vemo::cli {

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string NormalizeId(const std::string& id) {
  static const std::regex kColonForm("[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){7}");
  const std::string trimmed = Trimmed(id);
  if (!std::regex_match(trimmed, kColonForm)) return id;
  std::string programId;
  for (const char c : trimmed) {
    if (c != ':') programId += c;
  }
  return Upper(programId);
}

std::vector<std::string> IdVariants(const std::string& id) {
  std::string bare;
  for (const char c : id) {
    if (c != ' ' && c != ':' && c != '-' && c != '.') bare += c;
  }
  std::vector<std::string> variants;
  for (const std::string& variant : {Upper(id), Lower(id), Upper(bare), Lower(bare)}) {
    const std::string text = Trimmed(variant);
    if ((text.size() == 4 || text.size() == 16) && variant != id &&
        std::find(variants.begin(), variants.end(), variant) == variants.end()) {
      variants.push_back(variant);
    }
  }
  return variants;
}

}  // namespace vemo::cli

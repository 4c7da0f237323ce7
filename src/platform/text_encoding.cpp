#include "platform/text_encoding.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <memory>

namespace vemo::platform {

std::optional<std::string> DecodeToUtf8(std::string_view bytes, const std::string& encoding) {
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<UConverter, void (*)(UConverter*)> converter(ucnv_open(encoding.c_str(), &status), ucnv_close);
  if (U_FAILURE(status) || !converter) return std::nullopt;
  icu::UnicodeString text(bytes.data(), static_cast<std::int32_t>(bytes.size()), converter.get(), status);
  if (U_FAILURE(status)) return std::nullopt;
  if (text.length() > 0 && text.charAt(0) == 0xFEFF) text.remove(0, 1);
  std::string utf8;
  text.toUTF8String(utf8);
  return utf8;
}

std::string XmlDocumentEncoding(std::string_view bytes) {
  const auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
  using namespace std::string_view_literals;
  if (starts("\x00\x00\xFE\xFF"sv) || starts("\x00\x00\x00\x3C"sv)) return "UTF-32BE";
  if (starts("\xFF\xFE\x00\x00"sv) || starts("\x3C\x00\x00\x00"sv)) return "UTF-32LE";
  if (starts("\xFE\xFF"sv) || starts("\x00\x3C\x00\x3F"sv)) return "UTF-16BE";
  if (starts("\xFF\xFE"sv) || starts("\x3C\x00\x3F\x00"sv)) return "UTF-16LE";
  if (starts("\xEF\xBB\xBF"sv)) return "UTF-8";
  if (!starts("<?xml"sv)) return "UTF-8";
  // The declaration's pseudo-attribute, in the ASCII that every other form keeps.
  const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
  const std::size_t key = declaration.find("encoding");
  if (key == std::string_view::npos) return "UTF-8";
  const std::size_t open = declaration.find_first_of("\"'", key);
  if (open == std::string_view::npos) return "UTF-8";
  const std::size_t close = declaration.find(declaration[open], open + 1);
  if (close == std::string_view::npos) return "UTF-8";
  return std::string(declaration.substr(open + 1, close - open - 1));
}

std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    bool valid = length != 0 && i + length <= bytes.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
    }
    if (valid) {
      out.append(bytes.substr(i, length));
      i += length;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return out;
}

}  // namespace vemo::platform

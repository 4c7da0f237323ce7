#pragma once

// Text that the written catalogue and configuration files can carry.

#include <cstddef>
#include <string>
#include <string_view>

namespace vemo::importer {

// The text with every byte that does not belong to a valid UTF-8 sequence, and every
// character XML 1.0 does not allow (control characters other than tab, line feed and
// carriage return; U+FFFE, U+FFFF), replaced by U+FFFD. `replaced` is set when any was.
std::string ValidText(std::string_view text, bool& replaced);

// Appends the text to `xml` made valid (as ValidText makes it) and escaped for XML element
// content and attribute values: &, <, >, " as entities; tab, line feed and carriage
// return as character references, so that they survive the parser's normalisation.
// True when anything was replaced.
bool AppendXmlText(std::string& xml, std::string_view text);

// The sizes ValidText and then AppendXmlText give `text`, measured without making either.
struct TextBytes {
  std::size_t valid = 0;    // the text's bytes once valid: what the XML parser reads back
  std::size_t escaped = 0;  // its bytes in the written XML
};
TextBytes MeasureText(std::string_view text);

}  // namespace vemo::importer

#pragma once

// Text that the written catalogue and configuration files can carry.

#include <string>
#include <string_view>

namespace vemo::importer {

// The text with every byte that does not belong to a valid UTF-8 sequence, and every
// character XML 1.0 does not allow (control characters other than tab, line feed and
// carriage return; U+FFFE, U+FFFF), replaced by U+FFFD. `replaced` is set when any was.
std::string ValidText(std::string_view text, bool& replaced);

// Valid text escaped for XML element content and attribute values: &, <, >, " as
// entities; tab, line feed and carriage return as character references, so that they
// survive the parser's normalisation.
std::string XmlEscape(std::string_view validText);

}  // namespace vemo::importer

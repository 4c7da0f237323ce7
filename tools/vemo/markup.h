#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vemo::cli {

// Text from catalogue files, made fit for SVG and HTML. Names and self-documentation come
// from files a user did not write: they may hold markup, control characters or bytes that
// are not UTF-8.

// `text` as valid UTF-8 that XML and HTML accept as character data: a byte that starts no
// valid sequence and a noncharacter become U+FFFD, a control character "?".
std::string CleanText(std::string_view text);

// The columns a monospace font gives clean `text`: one a character, two for a character
// from U+1100 on, which may be wide or come from a fallback font. Never less than drawn.
std::size_t Columns(std::string_view text);

// Clean `text` cut to at most `columns` columns, ending with "…" when it was cut.
std::string Clipped(std::string_view text, std::size_t columns);

// Clean `text` with & < > " ' written as references: fit for element text and attribute values.
std::string Escaped(std::string_view text);

}  // namespace vemo::cli

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vemo {

// "The number of a text": the value of the text's leading numeric part, with leading
// blanks skipped, or 0 when the text does not start with a number. The grammar is plain
// decimal: an optional sign, digits with an optional fraction, an optional exponent.
// "12|3" gives 12, " -2.5e1x" gives -25, "abc" gives 0.
double LeadingNumber(std::string_view text);

// True when the whole text, blanks around it aside, is one number of that grammar.
bool IsNumericText(std::string_view text);

// Rounds to the nearest integer, a value exactly halfway going to the even neighbour,
// and narrows it; a value outside the width raises an overflow error (6).
std::int16_t RoundToInt16(double value);
std::int32_t RoundToInt32(double value);
// The same without raising: nothing when the value does not fit.
std::optional<std::int16_t> TryRoundToInt16(double value);
std::optional<std::int32_t> TryRoundToInt32(double value);

// A number as automation writes it as text: integers without a fraction ("12", "-1"),
// others with up to 15 significant digits ("2.5").
std::string NumberToText(double value);

}  // namespace vemo

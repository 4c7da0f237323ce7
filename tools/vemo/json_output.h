#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

namespace vemo::cli {

using Json = nlohmann::ordered_json;

// The JSON schema number every document carries; it grows when a key changes meaning or
// goes away.
inline constexpr int kJsonSchema = 2;

// Writes `json` indented by two spaces, then a newline. Text that is not UTF-8 (IDs and
// paths are bytes) is kept without loss: each byte that is not part of a valid UTF-8
// sequence is written as the escape \udcXX, XX its value in hexadecimal — the
// convention Python calls "surrogateescape".
void WriteJson(std::ostream& out, const Json& json);

// Writes `json` on one line without blanks, then a newline: one record of JSON Lines.
// Text is written as WriteJson writes it.
void WriteJsonLine(std::ostream& out, const Json& json);

}  // namespace vemo::cli

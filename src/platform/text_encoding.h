#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vemo::platform {

// `bytes` in the named encoding (an IANA or libxml2 name such as "UTF-16LE" or
// "ISO-8859-1") as UTF-8, a leading byte-order mark dropped; nothing when the encoding
// is not known. Bytes that are not valid in the encoding become U+FFFD.
std::optional<std::string> DecodeToUtf8(std::string_view bytes, const std::string& encoding);

// The encoding an XML document's bytes are in, as a parser tells it before it reads any
// markup: a byte-order mark, else the shape of "<?" in UTF-16 or UCS-4, else the
// encoding its XML declaration names, else UTF-8.
std::string XmlDocumentEncoding(std::string_view bytes);

// Valid UTF-8 sequences kept, every other byte replaced with U+FFFD, so that text of
// unknown origin still reads.
std::string ValidUtf8(std::string_view bytes);

}  // namespace vemo::platform

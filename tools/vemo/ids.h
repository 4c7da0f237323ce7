#pragma once

#include <string>
#include <vector>

namespace vemo::cli {

// An ID as people copy it: the program ID as a device interface file writes it, eight
// hexadecimal pairs between colons ("9A:10:C0:DE:00:01:04:01"), is the program ID
// "9A10C0DE00010401"; anything else stays as it is for the library, which compares IDs
// exactly.
std::string NormalizeId(const std::string& id);

// Other spellings of an ID that found no entry, worth a lookup to suggest one: its upper
// and lower case, and the same without blanks, colons, dashes and dots. Only those of
// 4 or 16 characters, which a lookup takes, and none equal to `id`.
std::vector<std::string> IdVariants(const std::string& id);

}  // namespace vemo::cli

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vemo {

// The LonMark object index that marks the node itself, and the one that marks a data
// point whose object is not resolved yet.
inline constexpr std::int32_t kNodeObjectID = -1;
inline constexpr std::int32_t kUnresolvedObjectID = -2;

// The LonMark object a data point belongs to, from its applies-to code and select
// text: the node for code 0, the object numbered by the select text for code 1,
// unresolved otherwise; nothing when that number does not fit 32 bits.
std::optional<std::int32_t> LMObjectIDFor(std::int16_t appliesTo, const std::string& selectData);

}  // namespace vemo

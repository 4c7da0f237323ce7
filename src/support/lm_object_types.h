#pragma once

#include <cstdint>
#include <string>

namespace vemo {

// The short English description of a LonMark object type number, or the number as
// signed decimal text when the type has none. Never fails.
std::string GetLMObjectTypeDesc(std::int16_t nType);

}  // namespace vemo

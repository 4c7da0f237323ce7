#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vemo::platform {

struct StringResource {
  std::uint16_t id;
  std::string_view text;
};

// The library's string table, compiled in from resources/.
std::span<const StringResource> StringTable();

// Loads string `id` from the string table; a missing string raises error 326.
std::string LoadResString(std::uint16_t id);

}  // namespace vemo::platform

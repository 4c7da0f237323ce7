#include "platform/string_resources.h"

#include "vemosupport/automation_error.h"

namespace vemo::platform {

std::string LoadResString(std::uint16_t id) {
  for (const StringResource& entry : StringTable()) {
    if (entry.id == id) return std::string(entry.text);
  }
  throw AutomationError(err::kResourceNotFound, "LoadResString",
                        "Resource with identifier '" + std::to_string(id) + "' not found");
}

}  // namespace vemo::platform

#include "points/lm_object_id.h"

#include "platform/number_text.h"

namespace vemo {

std::optional<std::int32_t> LMObjectIDFor(std::int16_t appliesTo, const std::string& selectData) {
  if (appliesTo == 0) return kNodeObjectID;
  if (appliesTo == 1) return TryRoundToInt32(LeadingNumber(selectData));
  return kUnresolvedObjectID;
}

}  // namespace vemo
